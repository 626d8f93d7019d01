// A task's running time: one interval (tick) per run between a start or
// resume and the next pause, and the remaining-time estimate built on the
// task's average speed over those intervals (pauses do not count).
// A tick array belongs to one task and is used under the task list's lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cw {

// Now, in whole seconds from a fixed point. Injected so that tests control time.
using SecondsClock = std::function<int64_t()>;

// Seconds of the steady clock, which a change of the calendar time (by hand,
// by the network's time service) does not move, so that running times and
// the remaining time stay true across it. Any thread.
int64_t SteadySeconds();

// One interval of running time.
struct TimeTick {
  int64_t start = 0;    // when the interval began
  int64_t end = 0;      // when it ended; meaningful only once closed
  bool closed = false;  // false while the interval is still open
};

class TimeTickArray {
 public:
  explicit TimeTickArray(SecondsClock clock = SteadySeconds);

  // Appends a new open tick that starts now.
  void AddTick();
  // Closes the newest tick at now, replacing an earlier end if it was closed
  // already. Does nothing when there is no tick.
  void CloseLastTick();
  // Running time in whole seconds: closed ticks count up to their end, open
  // ones up to now; a tick whose end lies before its start counts nothing.
  // Saturates at INT32_MAX.
  int32_t ElapsedSeconds() const;
  // The remaining-time text for the frame counts set below: "..." while
  // nothing is known, else an estimate such as "20 minutes".
  std::wstring FormatRemainingTime() const;

  // Frames encoded so far and frames expected in all; -1 when unknown.
  // Set by the task renderer just before FormatRemainingTime.
  void SetFrames(int32_t current_frame, int32_t total_frames);
  int32_t current_frame() const { return current_frame_; }
  int32_t total_frames() const { return total_frames_; }

  const std::vector<TimeTick>& ticks() const { return ticks_; }

 private:
  SecondsClock clock_;
  std::vector<TimeTick> ticks_;
  int32_t current_frame_ = -1;
  int32_t total_frames_ = -1;
};

// A frame count kept as a double (-1.0 when unknown) as the 32-bit count of
// the estimate: truncated toward zero; NaN and values beyond the 32-bit range
// give -1 (unknown) instead of an undefined conversion.
int32_t FramesForEstimate(double frames);

// The remaining-time text for an estimate in milliseconds: "..." for a
// negative one, else "< 1 minute", "< 2 minutes", "%d minutes", "%d hour ..."
// and "%d hours ..." forms with minutes from 2 on shown as computed and 0 and
// 1 beside hours shown as "1 minute" and "2 minutes".
std::wstring RemainingTimeText(int32_t remaining_ms);

// A text of RemainingTimeText in the user's language, for people (the
// window's status bar, the command line's live display); the English text
// itself when no catalogue applies. Any other text comes back unchanged: the
// task JSON and the events carry the English form.
std::wstring RemainingTimeForPeople(const std::wstring& english);

}  // namespace cw
