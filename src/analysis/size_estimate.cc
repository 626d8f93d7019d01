// The expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <algorithm>
#include <cmath>

namespace cw {
namespace {

bool Known(double value) { return value > 0 && std::isfinite(value); }

constexpr double kKiBPerKB = 1000.0 / 1024.0;
constexpr double kShortestWrittenSeconds = 1.0;  // less written output says too little

}  // namespace

double EstimateFinalSizeKB(const SizeFacts& facts) {
  const double rate = (Known(facts.videoKbps) ? facts.videoKbps : 0) + (Known(facts.audioKbps) ? facts.audioKbps : 0);
  if (!Known(rate) || !Known(facts.durationSeconds)) return Known(facts.observedKB) ? facts.observedKB : -1;
  const double observed = Known(facts.observedKB) ? facts.observedKB * kKiBPerKB : -1;
  // kbit/s * s / 8 = kB of 1000 bytes.
  const double target = rate * facts.durationSeconds / 8.0 * kKiBPerKB;
  if (observed < 0) return target;
  const double fraction = std::isfinite(facts.fraction) ? std::clamp(facts.fraction, 0.0, 1.0) : 0.0;
  const double read = fraction * facts.durationSeconds;
  const double written = read - kEncoderLagSeconds;
  if (written < kShortestWrittenSeconds) return target;
  const double weight = std::min(1.0, written / facts.durationSeconds);
  return target * (1.0 - weight) + observed * (read / written) * weight;
}

}  // namespace cw
