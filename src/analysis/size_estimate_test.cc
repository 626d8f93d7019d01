// Tests of the expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

SizeFacts Facts(double video, double audio, double duration, double fraction, double observed) {
  SizeFacts facts;
  facts.videoKbps = video;
  facts.audioKbps = audio;
  facts.durationSeconds = duration;
  facts.fraction = fraction;
  facts.observedKB = observed;
  return facts;
}

TEST(SizeEstimate, BlendsTargetAndObservedByProgress) {
  // 1024 kbit/s for 8 s is 1000 KiB.
  struct Case { const char* name; SizeFacts facts; double expected; } cases[] = {
      {"nothing known", Facts(-1, -1, -1, 0, -1), -1},
      {"observed only", Facts(-1, -1, -1, 0.5, 600), 600},
      {"no duration: observed only", Facts(896, 128, -1, 0.5, 600), 600},
      {"target before output", Facts(896, 128, 8, 0, -1), 1000},
      {"video target alone", Facts(1024, -1, 8, 0, -1), 1000},
      {"a quarter in", Facts(896, 128, 8, 0.25, 600), 900},
      {"half way", Facts(896, 128, 8, 0.5, 600), 800},
      {"at the end the observed size wins", Facts(896, 128, 8, 1.0, 1200), 1200},
      {"progress beyond the end", Facts(896, 128, 8, 7.0, 1200), 1200},
      {"non-finite inputs are unknown", Facts(-1, -1, -1, 0.5, 1.0 / 0.0), -1},
  };
  for (const auto& c : cases) EXPECT_NEAR(EstimateFinalSizeKB(c.facts), c.expected, 1e-6) << c.name;
}

}  // namespace
}  // namespace cw
