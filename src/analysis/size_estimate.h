// The expected final size of a running conversion. The encoder's average
// bit rate so far times the duration runs low (1.3-3 times on short clips):
// the H.264 encoder holds about two seconds of frames back before it writes
// any, and the file grows in steps of a few hundred kilobytes. So the
// observed figure is first corrected for that lag, then blended with the
// size the profile's target bit rates give, the observed one weighing as
// much of the source as it can account for. Pure; any thread.
#pragma once

namespace cw {

struct SizeFacts {
  double videoKbps = -1;        // the profile's video target in kbit/s; -1 unknown
  double audioKbps = -1;        // the profile's audio target in kbit/s; -1 unknown
  double durationSeconds = -1;  // the source's duration; -1 unknown
  double fraction = 0;          // 0..1 converted so far
  double observedKB = -1;       // the encoder's bit rate so far times the duration, in kB of 1000 bytes; -1 unknown
};

// Seconds of source the encoder has read but not yet written out (its
// look-ahead and the container's buffering), as measured with the default
// H.264 settings at 25 frames a second.
inline constexpr double kEncoderLagSeconds = 2.0;

// The expected final size in KiB, or -1 while nothing can be said. Without
// target rates or duration it is the observed figure as it comes (its kB
// counted as KiB, as the size texts have always had it). With them, in KiB,
// the source converted so far is t = fraction * duration; the observed
// figure, scaled by t / (t - kEncoderLagSeconds) for the output not yet
// written, weighs (t - kEncoderLagSeconds) / duration against the target
// size (rates times duration), and nothing while t - kEncoderLagSeconds is
// below a second.
double EstimateFinalSizeKB(const SizeFacts& facts);

}  // namespace cw
