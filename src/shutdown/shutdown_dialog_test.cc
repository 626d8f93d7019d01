// Tests of the countdown: texts tick by tick, the command run exactly once,
// "shut down now" and cancel.
#include "shutdown/shutdown_dialog.h"

#include <gtest/gtest.h>

#include <vector>

namespace cw {
namespace {

class FakeCountdownWindow : public CountdownWindow {
 public:
  void SetMessageText(const std::wstring& text) override { texts.push_back(text); }
  void StartTimer(int period_ms) override { timer_period = period_ms; }
  void StopTimer() override { timer_period = 0; }
  void Close() override { closed = true; }

  std::vector<std::wstring> texts;
  int timer_period = 0;
  bool closed = false;
};

struct Fixture {
  FakeCountdownWindow window;
  int commands_run = 0;
  ShutdownDialog dialog{&window, [this] { ++commands_run; }};
};

TEST(ShutdownDialog, CountsDownFrom60To1ThenRunsTheCommandOnce) {
  Fixture f;
  f.dialog.OnInitDialog();
  ASSERT_EQ(f.window.texts.size(), 1u);
  EXPECT_EQ(f.window.texts[0], L"Computer is going to shutdown in 60 second");
  EXPECT_EQ(f.window.timer_period, 1000);

  for (int tick = 1; tick <= 59; ++tick) {
    f.dialog.OnTimer();
    EXPECT_EQ(f.window.texts.back(), CountdownText(61 - tick)) << tick;
    EXPECT_EQ(f.commands_run, 0) << tick;
  }
  EXPECT_EQ(f.window.texts[1], L"Computer is going to shutdown in 60 seconds");
  f.dialog.OnTimer();  // the 60th second
  EXPECT_EQ(f.window.texts.back(), L"Computer is going to shutdown in 1 seconds");
  EXPECT_EQ(f.commands_run, 1);
  EXPECT_EQ(f.window.timer_period, 0);
  EXPECT_FALSE(f.window.closed);  // the window stays open

  size_t shown = f.window.texts.size();
  f.dialog.OnTimer();  // a late tick after the timer stopped changes nothing
  EXPECT_EQ(f.commands_run, 1);
  EXPECT_EQ(f.window.texts.size(), shown);
}

TEST(ShutdownDialog, ShutdownNowRunsAtOnceAndTheCountGoesOn) {
  Fixture f;
  f.dialog.OnInitDialog();
  for (int i = 0; i < 10; ++i) f.dialog.OnTimer();
  f.dialog.OnShutdownNow();
  EXPECT_EQ(f.commands_run, 1);
  EXPECT_EQ(f.dialog.countdown(), 50);
  f.dialog.OnTimer();
  EXPECT_EQ(f.window.texts.back(), CountdownText(50));
}

TEST(ShutdownDialog, CancelClosesAndNothingRunsAfterwards) {
  Fixture f;
  f.dialog.OnInitDialog();
  f.dialog.OnTimer();
  f.dialog.OnCancel();
  EXPECT_TRUE(f.window.closed);
  EXPECT_EQ(f.window.timer_period, 0);
  for (int i = 0; i < 70; ++i) f.dialog.OnTimer();
  f.dialog.OnShutdownNow();
  EXPECT_EQ(f.commands_run, 0);
}

}  // namespace
}  // namespace cw
