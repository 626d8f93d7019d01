// Tests of the expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

SizeFacts Facts(double video, double audio, double duration, double fraction, double size) {
  SizeFacts facts;
  facts.videoKbps = video;
  facts.audioKbps = audio;
  facts.durationSeconds = duration;
  facts.fraction = fraction;
  facts.sizeKB = size;
  return facts;
}

TEST(SizeEstimate, CombinesTargetAndObservedRates) {
  // 1024 kbit/s for 8 s is 1000 KiB.
  struct Case { const char* name; SizeFacts facts; double expected; } cases[] = {
      {"nothing known", Facts(-1, -1, -1, 0, -1), -1},
      {"observed only", Facts(-1, -1, -1, 0.5, 300), 600},
      {"target only before output", Facts(896, 128, 8, 0, -1), 1000},
      {"target at the start", Facts(896, 128, 8, 0, 0), 1000},
      // Half way: 4 s converted, 0.8 s held back, so 300 KiB cover 3.2 s:
      // 750 KiB projected, blended half and half with the 1000 KiB target.
      {"observed corrected for held frames", Facts(896, 128, 8, 0.5, 300), 875},
      {"at the end the observed size wins", Facts(896, 128, 8, 1.0, 1200), 1200},
      {"non-finite inputs are unknown", Facts(-1, -1, -1, 0.5, 1.0 / 0.0), -1},
  };
  for (const auto& c : cases) EXPECT_NEAR(EstimateFinalSizeKB(c.facts), c.expected, 1e-6) << c.name;
}

}  // namespace
}  // namespace cw
