// Tests of following what the encoder has written.
#include "analysis/size_track.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace cw {
namespace {

SizeObservation After(std::vector<std::pair<double, double>> samples, double fps = 25) {
  SizeTrack track(fps);
  for (auto [frame, kb] : samples) track.Add(frame, kb);
  return track.observation();
}

TEST(SizeTrack, LookAheadBoundsAndWrittenSize) {
  SizeObservation o = After({{10, 0}, {30, 0}, {46, 0}, {52, 300}});
  EXPECT_EQ(o.lastUnwrittenFrame, 46);
  EXPECT_EQ(o.firstWrittenFrame, 52);
  EXPECT_EQ(o.writtenKB, 300);
  EXPECT_EQ(o.recentKBPerFrame, -1);  // the first write alone says no rate

  o = After({{-1, -1}, {5, -1}, {20, 0}});
  EXPECT_EQ(o.lastUnwrittenFrame, 20);
  EXPECT_EQ(o.firstWrittenFrame, -1);
  EXPECT_EQ(o.writtenKB, -1);
}

TEST(SizeTrack, RecentRateLeavesTheFirstPicturesOut) {
  // A big first write (frames 50-64), then 4 KiB a frame.
  std::vector<std::pair<double, double>> samples = {{46, 0}, {50, 900}, {56, 1800}, {64, 2008}};
  for (double f = 70; f <= 150; f += 8) samples.push_back({f, 2000 + 4 * (f - 62)});
  SizeObservation o = After(samples);
  EXPECT_NEAR(o.recentKBPerFrame, 4, 1e-9);
  EXPECT_EQ(o.writtenKB, 2000 + 4 * 88);
}

TEST(SizeTrack, RecentRateFollowsTheNewestStretch) {
  std::vector<std::pair<double, double>> samples = {{46, 0}, {50, 100}};
  double kb = 100;
  for (double f = 60; f <= 300; f += 10) {  // 10 KiB a frame, then 2 from frame 200 on
    kb += (f <= 200 ? 10 : 2) * 10;
    samples.push_back({f, kb});
  }
  EXPECT_NEAR(After(samples).recentKBPerFrame, 2, 1e-9);
  // At 100 frames a second the stretch is 150 frames: it still reaches back
  // before the change at frame 200.
  double mixed = After(samples, 100).recentKBPerFrame;
  EXPECT_GT(mixed, 2);
  EXPECT_LT(mixed, 10);
}

TEST(SizeTrack, SparseLinesStillGiveARate) {
  // A fast encoder: a status line every 100 frames.
  SizeObservation o = After({{0, 0}, {100, 40}, {200, 90}, {300, 140}});
  EXPECT_EQ(o.lastUnwrittenFrame, 0);
  EXPECT_NEAR(o.recentKBPerFrame, 0.5, 1e-9);
}

TEST(SizeTrack, StretchesTooShortOrGoingBackAreIgnored) {
  EXPECT_EQ(After({{50, 100}, {56, 110}, {60, 120}}).recentKBPerFrame, -1);  // 4 frames apart
  SizeObservation o = After({{50, 100}, {70, 140}, {90, 180}, {80, 999}});
  EXPECT_NEAR(o.recentKBPerFrame, 2, 1e-9);
  EXPECT_EQ(o.writtenKB, 180);
  // Samples within the first write's pictures give no rate.
  EXPECT_EQ(After({{50, 100}, {56, 400}, {66, 600}}).recentKBPerFrame, -1);
  // A size that shrinks (never seen from a real encoder) gives no negative rate.
  EXPECT_EQ(After({{50, 100}, {65, 500}, {85, 400}}).recentKBPerFrame, 0);
}

}  // namespace
}  // namespace cw
