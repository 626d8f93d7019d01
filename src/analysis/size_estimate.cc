// The expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <algorithm>
#include <cmath>

namespace cw {
namespace {

bool Known(double value) { return value > 0 && std::isfinite(value); }

constexpr double kKiBPerKB = 1000.0 / 1024.0;
constexpr double kLookaheadFrames = 40;
constexpr double kReorderFrames = 4;  // B-frames and the frame being coded
constexpr double kFewestWrittenFrames = 10;
constexpr double kFarBehindPace = 0.5;

// The frames written so far: those fed less the look-ahead, which is at
// least the frames fed while nothing was written and at most those fed at
// the first write.
double WrittenFrames(const SizeFacts& facts) {
  const SizeObservation& w = facts.written;
  double lag = std::max(facts.lagFrames, std::max(0.0, w.lastUnwrittenFrame));
  lag = std::min(lag, w.firstWrittenFrame);
  return std::clamp(facts.currentFrame - lag, 0.0, facts.totalFrames);
}

}  // namespace

double EncoderLagFrames(unsigned processors) {
  const double frame_threads = std::max(1u, processors * 3 / 2);
  return kLookaheadFrames + kReorderFrames + frame_threads - 1;
}

double EstimateFinalSizeKB(const SizeFacts& facts) {
  const double rate = (Known(facts.videoKbps) ? facts.videoKbps : 0) + (Known(facts.audioKbps) ? facts.audioKbps : 0);
  if (!Known(rate) || !Known(facts.durationSeconds)) return Known(facts.observedKB) ? facts.observedKB : -1;
  // kbit/s * s / 8 = kB of 1000 bytes.
  const double target = rate * facts.durationSeconds / 8.0 * kKiBPerKB;
  const SizeObservation& w = facts.written;
  const double total = facts.totalFrames;
  if (!Known(total) || !(facts.currentFrame >= 0) || !Known(w.writtenKB) || !(w.firstWrittenFrame >= 0)) {
    return target;
  }
  const double written = WrittenFrames(facts);
  const double on_pace = target * written / total;
  if (w.recentKBPerFrame >= 0 && std::isfinite(w.recentKBPerFrame)) {
    const double projected = w.writtenKB + w.recentKBPerFrame * (total - written);
    return w.writtenKB > on_pace ? std::max(target, projected) : std::min(target, projected);
  }
  if (written >= kFewestWrittenFrames && w.writtenKB < kFarBehindPace * on_pace) {
    return std::min(target, w.writtenKB * total / written);
  }
  return target;
}

}  // namespace cw
