// Following what the encoder has written, status line by status line.
#include "analysis/size_track.h"

#include <algorithm>

namespace cw {
namespace {

// The first pictures written are often several times the size of the rest,
// for half a second or more: the encoder's rate control starts from a
// guess. Rates are measured from samples this many frames past the first
// write.
constexpr double kFramesPastFirstWrite = 15;
// A rate over fewer frames than this says too little.
constexpr double kShortestStretch = 10;
constexpr double kWindowSeconds = 1.5;
constexpr double kShortestWindow = 25;

}  // namespace

SizeTrack::SizeTrack(double frames_per_second)
    : window_frames_(std::max(kShortestWindow, kWindowSeconds * (frames_per_second > 0 ? frames_per_second : 25))) {}

void SizeTrack::Add(double frame, double written_kb) {
  if (frame < 0 || written_kb < 0) return;
  SizeObservation& o = observation_;
  if (written_kb == 0) {
    if (o.firstWrittenFrame < 0) o.lastUnwrittenFrame = std::max(o.lastUnwrittenFrame, frame);
    return;
  }
  const double newest = samples_.empty() ? o.firstWrittenFrame : samples_.back().frame;
  if (frame < newest) return;
  o.writtenKB = written_kb;
  if (o.firstWrittenFrame < 0) {
    o.firstWrittenFrame = frame;
    return;
  }
  if (frame < o.firstWrittenFrame + kFramesPastFirstWrite) return;
  UpdateRecentRate(frame, written_kb);
}

void SizeTrack::UpdateRecentRate(double frame, double kb) {
  if (!samples_.empty() && samples_.back().frame == frame) samples_.pop_back();
  samples_.push_back({frame, kb});
  // Keep the newest sample at least the window back, so that the stretch
  // never shrinks below it once it has been reached.
  while (samples_.size() > 2 && frame - samples_[1].frame >= window_frames_) samples_.pop_front();
  const Sample& oldest = samples_.front();
  if (frame - oldest.frame < kShortestStretch) return;
  observation_.recentKBPerFrame = std::max(0.0, (kb - oldest.kb) / (frame - oldest.frame));
}

}  // namespace cw
