// The expected final size of a running conversion. The encoder's average
// bit rate so far times the duration runs low early on (the encoder holds
// frames back and the container is completed at the end), so the estimate
// starts from the profile's target bit rates and moves toward the observed
// projection as the run goes on. Pure; any thread.
#pragma once

namespace cw {

struct SizeFacts {
  double videoKbps = -1;        // the profile's video target in kbit/s; -1 unknown
  double audioKbps = -1;        // the profile's audio target in kbit/s; -1 unknown
  double durationSeconds = -1;  // the source's duration; -1 unknown
  double fraction = 0;          // 0..1 converted so far
  double observedKB = -1;       // the observed projection (bit rate so far times duration); -1 unknown
};

// The expected final size in KiB, or -1 while nothing can be said. Without
// target rates or duration it is the observed projection. With them, the
// target size (rates times duration) and the observed projection are
// blended, the observed one weighing `fraction`.
double EstimateFinalSizeKB(const SizeFacts& facts);

}  // namespace cw
