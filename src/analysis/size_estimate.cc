// The expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <algorithm>
#include <cmath>

namespace cw {
namespace {

bool Known(double value) { return value > 0 && std::isfinite(value); }

}  // namespace

double EstimateFinalSizeKB(const SizeFacts& facts) {
  const double observed = Known(facts.observedKB) ? facts.observedKB : -1;
  const double rate = (Known(facts.videoKbps) ? facts.videoKbps : 0) + (Known(facts.audioKbps) ? facts.audioKbps : 0);
  if (!Known(rate) || !Known(facts.durationSeconds)) return observed;
  // kbit/s * s / 8 = kB of 1000 bytes; the size texts count KiB.
  const double target = rate * facts.durationSeconds * 1000.0 / 8.0 / 1024.0;
  if (observed < 0) return target;
  const double weight = std::isfinite(facts.fraction) ? std::clamp(facts.fraction, 0.0, 1.0) : 0.0;
  return target * (1.0 - weight) + observed * weight;
}

}  // namespace cw
