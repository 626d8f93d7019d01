// Tests of the expected final size of a running conversion.
#include "analysis/size_estimate.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

// 896 + 128 kbit/s for 20 s at 25 frames a second: a target of 2500 KiB over
// 500 frames, 5 KiB a frame. The encoder holds 45 frames back.
SizeFacts Running(double frame, double written_kb, double first_written, double recent_per_frame,
              double last_unwritten = -1) {
  SizeFacts facts;
  facts.videoKbps = 896;
  facts.audioKbps = 128;
  facts.durationSeconds = 20;
  facts.totalFrames = 500;
  facts.currentFrame = frame;
  facts.written.writtenKB = written_kb;
  facts.written.firstWrittenFrame = first_written;
  facts.written.lastUnwrittenFrame = last_unwritten;
  facts.written.recentKBPerFrame = recent_per_frame;
  facts.lagFrames = 45;
  return facts;
}

SizeFacts Unprofiled(double observed_kb) {
  SizeFacts facts;
  facts.observedKB = observed_kb;
  return facts;
}

TEST(SizeEstimate, TargetUntilTheEncoderShowsItCannotKeepIt) {
  struct Case {
    const char* name;
    SizeFacts facts;
    double expected;
  } cases[] = {
      {"nothing known", Unprofiled(-1), -1},
      {"no profile: the observed figure as it comes", Unprofiled(1024), 1024},
      {"non-finite observed is unknown", Unprofiled(1.0 / 0.0), -1},
      {"nothing written yet: the target", Running(40, -1, -1, -1), 2500},
      {"only the first write: the target", Running(50, 600, 48, -1), 2500},
      // 100 frames fed, 55 written: on pace is 275 KiB.
      {"on pace, rate as the target's", Running(100, 275, 48, 5), 2500},
      // Ahead of pace after a big first picture and paying back at 3 KiB a
      // frame: 900 + 3 * 445 = 2235 is below the target, which it will reach.
      {"ahead and paying back in time", Running(100, 900, 48, 3), 2500},
      // Ahead and not paying back: 900 + 6 * 445 = 3570.
      {"ahead and still spending", Running(100, 900, 48, 6), 900 + 6 * 445},
      // Behind (a still picture): 20 + 0.2 * 445 = 109.
      {"behind and writing little", Running(100, 20, 48, 0.2), 20 + 0.2 * 445},
      // Behind but catching up at 8 a frame: 200 + 8 * 445 = 3760, capped by the target.
      {"behind and catching up", Running(100, 200, 48, 8), 2500},
      // Far behind pace before a rate is known: 20 KiB for 55 frames.
      {"far behind, no rate yet", Running(100, 20, 48, -1), 20.0 * 500 / 55},
      {"a little behind, no rate yet", Running(100, 200, 48, -1), 2500},
      // The look-ahead is bounded by what was seen: nothing written at frame
      // 60 means at least 60 frames held back (40 written, not 55).
      {"held back longer than expected", Running(100, 20, 61, 0.2, 60), 20 + 0.2 * 460},
      // Written at frame 30 already: at most 30 held back (70 written).
      {"held back shorter than expected", Running(100, 20, 30, 0.2, 20), 20 + 0.2 * 430},
      // Everything fed: the frames held back are all that is left.
      {"at the end", Running(500, 2200, 48, 6), 2200 + 6 * 45},
      {"fed beyond the total", Running(600, 2200, 48, 6), 2200 + 6 * 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(EstimateFinalSizeKB(c.facts), c.expected, 1e-6) << c.name;
}

TEST(SizeEstimate, UnknownFramesLeaveTheTarget) {
  SizeFacts facts = Running(100, 900, 48, 6);
  facts.totalFrames = -1;
  EXPECT_DOUBLE_EQ(EstimateFinalSizeKB(facts), 2500);
  facts = Running(-1, 900, 48, 6);
  EXPECT_DOUBLE_EQ(EstimateFinalSizeKB(facts), 2500);
  facts = Running(100, 900, 48, 6);
  facts.videoKbps = -1;  // the audio target alone: 128 kbit/s for 20 s
  EXPECT_NEAR(EstimateFinalSizeKB(facts), 900 + 6 * 445, 1e-6);
  facts.audioKbps = -1;
  facts.observedKB = 1024;
  EXPECT_DOUBLE_EQ(EstimateFinalSizeKB(facts), 1024);
}

TEST(SizeEstimate, LookAheadGrowsWithTheProcessors) {
  EXPECT_DOUBLE_EQ(EncoderLagFrames(0), 44);
  EXPECT_DOUBLE_EQ(EncoderLagFrames(1), 44);
  EXPECT_DOUBLE_EQ(EncoderLagFrames(2), 46);
  EXPECT_DOUBLE_EQ(EncoderLagFrames(16), 67);
}

}  // namespace
}  // namespace cw
