// The expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <algorithm>
#include <cmath>

namespace cw {
namespace {

bool Known(double value) { return value > 0 && std::isfinite(value); }

// The observed size projected to the whole source, or -1.
double ObservedProjection(const SizeFacts& facts) {
  if (!Known(facts.sizeKB) || !Known(facts.fraction)) return -1;
  const double fraction = std::min(facts.fraction, 1.0);
  if (!Known(facts.durationSeconds)) return facts.sizeKB / fraction;
  const double converted = fraction * facts.durationSeconds;
  // The output so far covers the converted source less what is held back;
  // the encoder lets go of those frames as the source runs out.
  const double held = kHeldBackSeconds * (1.0 - fraction);
  const double written = std::max(converted - held, converted * 0.5);
  return facts.sizeKB * facts.durationSeconds / written;
}

}  // namespace

double EstimateFinalSizeKB(const SizeFacts& facts) {
  const double observed = ObservedProjection(facts);
  const double rate = (Known(facts.videoKbps) ? facts.videoKbps : 0) + (Known(facts.audioKbps) ? facts.audioKbps : 0);
  if (!Known(rate) || !Known(facts.durationSeconds)) return observed;
  // kbit/s * s / 8 = kB of 1000 bytes; the encoder counts KiB.
  const double target = rate * facts.durationSeconds * 1000.0 / 8.0 / 1024.0;
  if (observed < 0) return target;
  const double weight = std::clamp(facts.fraction, 0.0, 1.0);
  return target * (1.0 - weight) + observed * weight;
}

}  // namespace cw
