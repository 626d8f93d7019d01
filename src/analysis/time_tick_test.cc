// Tests of the running intervals and the remaining-time text, on a fake clock.
#include "analysis/time_tick.h"

#include <gtest/gtest.h>

#include <chrono>

#include <limits>

#include "platform/translate.h"

namespace cw {
namespace {

// A clock that the test moves by hand.
struct FakeClock {
  int64_t now = 1'700'000'000;
  SecondsClock AsClock() {
    return [this] { return now; };
  }
};

TEST(RemainingTimeText, EveryFormAtItsBoundaries) {
  struct Case {
    int32_t ms;
    const wchar_t* text;
  };
  const Case cases[] = {
      {-1, L"..."},
      {0, L"< 1 minute"},
      {59999, L"< 1 minute"},
      {60000, L"< 2 minutes"},
      {119999, L"< 2 minutes"},
      {120000, L"2 minutes"},
      {1200000, L"20 minutes"},
      {3599999, L"59 minutes"},
      {3600000, L"1 hour 1 minute"},
      {3660000, L"1 hour 2 minutes"},
      {3780000, L"1 hour 3 minutes"},
      {7199999, L"1 hour 59 minutes"},
      {7200000, L"2 hours 1 minute"},
      {7260000, L"2 hours 2 minutes"},
      {9000000, L"2 hours 30 minutes"},
      {std::numeric_limits<int32_t>::max(), L"596 hours 31 minutes"},
  };
  for (const Case& c : cases) EXPECT_EQ(RemainingTimeText(c.ms), c.text) << c.ms;
}

// Without a catalogue every remaining-time text the engine writes comes back
// byte for byte.
TEST(RemainingTimeForPeople, EnglishUnchanged) {
  ASSERT_TRUE(SetMessageLanguage("C"));
  const int32_t kMinute = 60000, kHour = 3600000;
  for (int32_t ms : {-1, 0, 59999, kMinute, 2 * kMinute, 59 * kMinute, kHour, kHour + kMinute, kHour + 2 * kMinute,
                     2 * kHour + 5 * kMinute, 23 * kHour + 59 * kMinute, 596 * kHour + 31 * kMinute,
                     std::numeric_limits<int32_t>::max()}) {
    EXPECT_EQ(RemainingTimeForPeople(RemainingTimeText(ms)), RemainingTimeText(ms)) << ms;
  }
}

// With the German catalogue each form is rebuilt in German.
TEST(RemainingTimeForPeople, GermanRebuilt) {
  ASSERT_TRUE(SetMessageLanguage("de_DE.UTF-8")) << "scripts/setup-deps.sh installs locales-all";
  struct Case {
    const wchar_t* english;
    const wchar_t* german;
  } cases[] = {
      {L"< 1 minute", L"< 1 Minute"},
      {L"< 2 minutes", L"< 2 Minuten"},
      {L"7 minutes", L"7 Minuten"},
      {L"1 hour 1 minute", L"1 Stunde 1 Minute"},
      {L"1 hour 2 minutes", L"1 Stunde 2 Minuten"},
      {L"23 hours 59 minutes", L"23 Stunden 59 Minuten"},
      // Not the engine's forms: left alone.
      {L"...", L"..."},
      {L"1 minute", L"1 minute"},
      {L"2 hours", L"2 hours"},
      {L"1 hours 2 minutes", L"1 hours 2 minutes"},
      {L"2 minutes left", L"2 minutes left"},
      {L"99999999999 minutes", L"99999999999 minutes"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(RemainingTimeForPeople(c.english), c.german) << c.english;
  SetMessageLanguage("C");
}

TEST(TimeTickArray, AddAndCloseFollowTheClock) {
  FakeClock clock;
  TimeTickArray ticks(clock.AsClock());
  ticks.CloseLastTick();  // nothing to close
  EXPECT_TRUE(ticks.ticks().empty());

  ticks.AddTick();
  ASSERT_EQ(ticks.ticks().size(), 1u);
  EXPECT_EQ(ticks.ticks()[0].start, clock.now);
  EXPECT_FALSE(ticks.ticks()[0].closed);

  clock.now += 30;
  EXPECT_EQ(ticks.ElapsedSeconds(), 30);  // open: counts up to now
  ticks.CloseLastTick();
  clock.now += 100;
  EXPECT_EQ(ticks.ElapsedSeconds(), 30);  // closed: stops counting

  // Pausing twice without a resume moves the end to the second pause.
  ticks.CloseLastTick();
  EXPECT_TRUE(ticks.ticks()[0].closed);
  EXPECT_EQ(ticks.ticks()[0].end, clock.now);
  EXPECT_EQ(ticks.ElapsedSeconds(), 130);
}

// A task's ticks follow the steady clock: a jump of the calendar time
// (hours at once, by the network's time service) moves no running time.
TEST(TimeTickArray, TheDefaultClockIsTheSteadyOne) {
  TimeTickArray ticks;
  const int64_t before = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now().time_since_epoch()).count();
  ticks.AddTick();
  const int64_t after = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count();
  EXPECT_GE(ticks.ticks()[0].start, before);
  EXPECT_LE(ticks.ticks()[0].start, after);
}

TEST(TimeTickArray, PausesDoNotCountAndOpenTicksKeepCounting) {
  FakeClock clock;
  TimeTickArray ticks(clock.AsClock());
  ticks.AddTick();
  clock.now += 40;
  ticks.CloseLastTick();
  clock.now += 1000;  // paused
  ticks.AddTick();
  clock.now += 20;
  EXPECT_EQ(ticks.ElapsedSeconds(), 60);
  clock.now += 5;
  EXPECT_EQ(ticks.ElapsedSeconds(), 65);  // the open tick reads the clock anew
  EXPECT_EQ(ticks.ticks().size(), 2u);
}

TEST(TimeTickArray, ATickEndingBeforeItsStartCountsNothing) {
  FakeClock clock;
  TimeTickArray ticks(clock.AsClock());
  ticks.AddTick();
  clock.now += 50;
  ticks.CloseLastTick();
  ticks.AddTick();
  clock.now -= 3600;  // the clock was set back
  ticks.CloseLastTick();
  EXPECT_EQ(ticks.ElapsedSeconds(), 50);
  ticks.AddTick();
  clock.now -= 10;  // an open tick behind the clock counts nothing either
  EXPECT_EQ(ticks.ElapsedSeconds(), 50);
}

TEST(TimeTickArray, ElapsedSecondsSaturatesInsteadOfWrapping) {
  FakeClock clock;
  TimeTickArray ticks(clock.AsClock());
  for (int i = 0; i < 3; ++i) {
    ticks.AddTick();
    clock.now += 1'000'000'000;
    ticks.CloseLastTick();
  }
  EXPECT_EQ(ticks.ElapsedSeconds(), std::numeric_limits<int32_t>::max());
}

// One closed interval of `seconds` with the given frame counts.
std::wstring RemainingAfter(int64_t seconds, int32_t current, int32_t total) {
  FakeClock clock;
  TimeTickArray ticks(clock.AsClock());
  ticks.AddTick();
  clock.now += seconds;
  ticks.CloseLastTick();
  ticks.SetFrames(current, total);
  return ticks.FormatRemainingTime();
}

TEST(TimeTickArray, FormatRemainingTimeFromTheAverageSpeed) {
  struct Case {
    int64_t seconds;
    int32_t current;
    int32_t total;
    const wchar_t* text;
  };
  const Case cases[] = {
      {600, 1000, 3000, L"20 minutes"},     // 2000 frames at 0.6 s each
      {600, 0, 3000, L"..."},               // no frame yet
      {600, -1, 3000, L"..."},              // current unknown
      {600, 500, -1, L"..."},               // total unknown
      {0, 500, -1, L"..."},                 // total unknown, no running time yet
      {0, 500, 1000, L"< 1 minute"},        // no running time: estimate 0
      {600, 3000, 3000, L"< 1 minute"},     // done
      {600, 3001, 3000, L"..."},            // beyond a total that was too small
      {60, 1, 2, L"< 2 minutes"},           // exactly 60 000 ms
      {3600, 1, 2, L"1 hour 1 minute"},     // exactly 3 600 000 ms
      {9000, 10, 20, L"2 hours 30 minutes"},
      // (2^31 - 1) ms fits; one more frame to go beyond it does not.
      {2147483, 1, 2, L"596 hours 31 minutes"},
      {2147484, 1, 2, L"..."},
      // Large frame counts are multiplied without 32-bit overflow.
      {100, 2, std::numeric_limits<int32_t>::max(), L"..."},
      {1, 1000000000, 2000000000, L"< 1 minute"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RemainingAfter(c.seconds, c.current, c.total), c.text)
        << c.seconds << " s, " << c.current << " of " << c.total;
  }
}

TEST(TimeTickArray, NoTickYetGivesNoEstimateWithoutFrames) {
  TimeTickArray ticks([] { return int64_t{0}; });
  EXPECT_EQ(ticks.FormatRemainingTime(), L"...");  // initial frames are -1
  ticks.SetFrames(0, 100);
  EXPECT_EQ(ticks.FormatRemainingTime(), L"...");
}

TEST(TimeTickArray, RunningLongerThan25DaysStillEstimates) {
  // 30 days of running, half the frames done: another 30 days remain.
  EXPECT_EQ(RemainingAfter(30 * 86400, 1000, 2000), L"...");  // beyond 2^31 ms
  EXPECT_EQ(RemainingAfter(30 * 86400, 1000, 1010), L"7 hours 12 minutes");
}

TEST(FramesForEstimate, TruncatesAndRejectsWhatDoesNotFit) {
  EXPECT_EQ(FramesForEstimate(-1.0), -1);
  EXPECT_EQ(FramesForEstimate(2249.9), 2249);
  EXPECT_EQ(FramesForEstimate(-0.5), 0);
  EXPECT_EQ(FramesForEstimate(2147483647.0), 2147483647);
  EXPECT_EQ(FramesForEstimate(2147483648.0), -1);
  EXPECT_EQ(FramesForEstimate(1e300), -1);
  EXPECT_EQ(FramesForEstimate(std::numeric_limits<double>::quiet_NaN()), -1);
}

}  // namespace
}  // namespace cw
