// What the encoder has written of a running conversion, followed from its
// status lines: how many frames it holds back before writing (its
// look-ahead), and the KiB it writes per frame lately. The expected size
// (size_estimate.h) is built from these. Fed by the run's worker thread only.
#pragma once

#include <deque>

namespace cw {

// A summary the worker hands to the interface thread, every field on its own.
struct SizeObservation {
  double writtenKB = -1;          // KiB written so far; -1 unknown
  double lastUnwrittenFrame = -1;  // the most frames fed while nothing was written; -1 none seen
  double firstWrittenFrame = -1;   // the frames fed when something was first written; -1 not yet
  double recentKBPerFrame = -1;    // KiB per frame over the newest written stretch; -1 not yet known
};

class SizeTrack {
 public:
  // `frames_per_second` sets how long a stretch the recent rate is measured
  // over (at least 1.5 s of frames, and never fewer than 25); unknown (<= 0)
  // counts as 25.
  explicit SizeTrack(double frames_per_second = 25);

  // One status line: `frame` frames fed to the encoder, `written_kb` KiB in
  // the file. Unknown figures (< 0) and frames going back are ignored.
  void Add(double frame, double written_kb);

  const SizeObservation& observation() const { return observation_; }

 private:
  struct Sample {
    double frame;
    double kb;
  };
  void UpdateRecentRate(double frame, double kb);

  double window_frames_;
  SizeObservation observation_;
  std::deque<Sample> samples_;  // written samples, oldest first, the first write's own frames left out
};

}  // namespace cw
