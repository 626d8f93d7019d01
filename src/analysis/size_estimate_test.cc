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

TEST(SizeEstimate, BlendsTargetAndLagCorrectedObservedByWhatIsWritten) {
  // 1024 kbit/s for 20 s is 2500 KiB; observed figures are in kB (1000 bytes):
  // beside the target, 1024 kB is 1000 KiB.
  struct Case { const char* name; SizeFacts facts; double expected; } cases[] = {
      {"nothing known", Facts(-1, -1, -1, 0, -1), -1},
      {"observed only, as it comes", Facts(-1, -1, -1, 0.5, 1024), 1024},
      {"no duration: observed only", Facts(896, 128, -1, 0.5, 1024), 1024},
      {"target before output", Facts(896, 128, 20, 0, -1), 2500},
      {"video target alone", Facts(1024, -1, 20, 0, -1), 2500},
      // 2.5 s read, 0.5 s written: too little to go by.
      {"less than a second written: the target", Facts(896, 128, 20, 0.125, 512), 2500},
      // 5 s read, 3 s written: the observed 1000 KiB stands for 5/3 of it, weighing 3/20.
      {"a quarter in", Facts(896, 128, 20, 0.25, 1024), 2500 * 0.85 + 1000 * 5.0 / 3.0 * 0.15},
      // 10 s read, 8 s written: 2400 KiB observed, 3000 corrected, weighing 8/20.
      {"half way", Facts(896, 128, 20, 0.5, 2457.6), 2500 * 0.6 + 3000 * 0.4},
      // 20 s read, 18 s written: 3000 KiB corrected from 2700, weighing 18/20.
      {"at the end the corrected observed size leads", Facts(896, 128, 20, 1.0, 2764.8), 2500 * 0.1 + 3000 * 0.9},
      {"progress beyond the end", Facts(896, 128, 20, 7.0, 2764.8), 2500 * 0.1 + 3000 * 0.9},
      {"non-finite inputs are unknown", Facts(-1, -1, -1, 0.5, 1.0 / 0.0), -1},
  };
  for (const auto& c : cases) EXPECT_NEAR(EstimateFinalSizeKB(c.facts), c.expected, 1e-6) << c.name;
}

}  // namespace
}  // namespace cw
