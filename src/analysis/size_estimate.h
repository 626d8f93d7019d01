// The expected final size of a running conversion. The encoder's size so far
// divided by the share converted runs low early on (the encoder holds frames
// back and the container is written at the end), so the estimate starts from
// the profile's target bit rates and moves toward the observed rate as the
// run goes on. Pure; any thread.
#pragma once

namespace cw {

struct SizeFacts {
  double videoKbps = -1;        // the profile's video target in kbit/s; -1 unknown
  double audioKbps = -1;        // the profile's audio target in kbit/s; -1 unknown
  double durationSeconds = -1;  // the source's duration; -1 unknown
  double fraction = 0;          // 0..1 converted so far
  double sizeKB = -1;           // the encoder's output so far in KiB; -1 unknown
};

// The expected final size in KiB, or -1 while nothing can be said. Without
// target rates (or duration) it is the observed size divided by `fraction`.
// With them, the target size (rates times duration) is blended with the
// observed projection, whose weight grows with the share converted; the
// observed projection is first corrected for the frames the encoder still
// holds back (kHeldBackSeconds of source at the start, none at the end).
inline constexpr double kHeldBackSeconds = 1.6;
double EstimateFinalSizeKB(const SizeFacts& facts);

}  // namespace cw
