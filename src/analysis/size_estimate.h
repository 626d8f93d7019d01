// The expected final size of a running conversion. The encoder's average
// bit rate so far times the duration runs far off on short clips: the H.264
// encoder holds some 45 frames back before it writes any, its rate control
// starts from a guess (the first pictures may come out at ten times the
// target) and then pays the excess back, and a picture with little in it
// (slides, a screen) never reaches the target at all. So the estimate starts
// from the size the profile's target rates give and keeps to it while the
// encoder can still reach it at the rate it writes lately; when it cannot,
// what is written plus that rate for the frames still to come is the
// figure. Pure; any thread.
#pragma once

#include "analysis/size_track.h"

namespace cw {

struct SizeFacts {
  double videoKbps = -1;        // the profile's video target in kbit/s; -1 unknown
  double audioKbps = -1;        // the profile's audio target in kbit/s; -1 unknown
  double durationSeconds = -1;  // the source's duration; -1 unknown
  double totalFrames = -1;      // frames the encoder will be fed in all; -1 unknown
  double currentFrame = -1;     // frames fed so far; -1 unknown
  SizeObservation written;      // what the encoder has written (SizeTrack)
  double observedKB = -1;       // the encoder's bit rate so far times the duration, in kB of 1000 bytes; -1 unknown
  double lagFrames = 45;        // the frames the encoder is expected to hold back (EncoderLagFrames)
};

// The frames the H.264 encoder holds back with its default settings on a
// machine with `processors` processors: its look-ahead of 40 frames, a few
// for its B-frames and one per frame thread (one and a half per processor).
double EncoderLagFrames(unsigned processors);

// The expected final size in KiB, or -1 while nothing can be said.
// - Without target rates or duration: the observed figure as it comes (its
//   kB counted as KiB, as the size texts have always had it).
// - Until the encoder has written something past its first pictures: the
//   target T (rates times duration).
// - Then, with w the frames written (fed less the look-ahead, which the
//   first write and the last status line before it bound), W the KiB
//   written and r the recent KiB per frame: the projection P = W + r *
//   (total - w). Ahead of the target's pace (W above T * w / total) the
//   encoder saves until it is back on it, so the figure is the larger of T
//   and P; behind it, the smaller.
// - A picture far behind the target's pace (less than half) before any rate
//   is known: W * total / w when that is below T.
double EstimateFinalSizeKB(const SizeFacts& facts);

}  // namespace cw
