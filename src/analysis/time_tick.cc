// Running intervals of a task and the remaining-time text.
#include "analysis/time_tick.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/translate.h"

namespace cw {
namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kMsPerHour = 3600000;
constexpr int32_t kMsPerMinute = 60000;

std::wstring HoursText(int32_t hours) {
  return std::to_wstring(hours) + (hours == 1 ? L" hour " : L" hours ");
}

// Reads "N word" from the front of `text` (N a whole number without sign):
// N and the rest after the word and one space, if any.
bool TakeCount(std::wstring_view* text, std::wstring_view one, std::wstring_view many, int32_t* n) {
  size_t digits = 0;
  int64_t value = 0;
  while (digits < text->size() && (*text)[digits] >= L'0' && (*text)[digits] <= L'9' && digits < 10) {
    value = value * 10 + ((*text)[digits] - L'0');
    ++digits;
  }
  if (digits == 0 || value > kInt32Max || digits >= text->size() || (*text)[digits] != L' ') return false;
  std::wstring_view word = text->substr(digits + 1);
  std::wstring_view expected = value == 1 ? one : many;
  if (word.substr(0, expected.size()) != expected) return false;
  *n = static_cast<int32_t>(value);
  *text = word.substr(expected.size());
  return true;
}

// The minutes beside hours, or alone from 2 on. The forms are those of the
// English texts (1 is singular, 2 and more plural), and the page uses the
// same catalogue entries for the remaining time it shows.
std::wstring Minutes(int32_t n) {
  return n == 1 ? Tr(L"1 minute") : Fill(Tr(L"%1 minutes"), {std::to_wstring(n)});
}

}  // namespace

std::wstring RemainingTimeForPeople(const std::wstring& english) {
  if (english == L"< 1 minute") return Tr(L"< 1 minute");
  if (english == L"< 2 minutes") return Tr(L"< 2 minutes");
  std::wstring_view rest = english;
  int32_t hours = 0;
  int32_t minutes = 0;
  if (TakeCount(&rest, L"hour", L"hours", &hours)) {
    if (rest.empty() || rest.front() != L' ') return english;
    rest.remove_prefix(1);
    if (!TakeCount(&rest, L"minute", L"minutes", &minutes) || !rest.empty()) return english;
    if (hours == 1) return Fill(Tr(L"1 hour %1"), {Minutes(minutes)});
    return Fill(Tr(L"%1 hours %2"), {std::to_wstring(hours), Minutes(minutes)});
  }
  // "N minutes" alone, never "1 minute" (that one is "< 2 minutes").
  if (TakeCount(&rest, L"minute", L"minutes", &minutes) && rest.empty() && minutes != 1) return Minutes(minutes);
  return english;
}

int64_t SteadySeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TimeTickArray::TimeTickArray(SecondsClock clock) : clock_(std::move(clock)) {}

void TimeTickArray::AddTick() { ticks_.push_back(TimeTick{clock_(), 0, false}); }

void TimeTickArray::CloseLastTick() {
  if (ticks_.empty()) return;
  ticks_.back().end = clock_();
  ticks_.back().closed = true;
}

int32_t TimeTickArray::ElapsedSeconds() const {
  int64_t sum = 0;
  for (const TimeTick& tick : ticks_) {
    int64_t end = tick.closed ? tick.end : clock_();
    // Clock values are calendar seconds, far from the 64-bit limits; only the
    // sum needs guarding. A clock set back gives a negative span: nothing.
    int64_t span = end - tick.start;
    if (span > 0) sum += span > kInt32Max ? kInt32Max : span;
    if (sum >= kInt32Max) return static_cast<int32_t>(kInt32Max);
  }
  return static_cast<int32_t>(sum);
}

void TimeTickArray::SetFrames(int32_t current_frame, int32_t total_frames) {
  current_frame_ = current_frame;
  total_frames_ = total_frames;
}

std::wstring TimeTickArray::FormatRemainingTime() const {
  // An unknown total says nothing about what remains, even before any running
  // time has been recorded.
  if (current_frame_ < 1 || total_frames_ < 0) return L"...";
  // In 64 bits: 32-bit milliseconds would overflow after 24.8 days of running.
  double elapsed_ms = static_cast<double>(ElapsedSeconds()) * 1000.0;
  double remaining = (static_cast<double>(total_frames_) - current_frame_) * elapsed_ms / current_frame_;
  remaining = std::trunc(remaining);
  if (remaining < 0 || remaining > static_cast<double>(kInt32Max)) return L"...";
  return RemainingTimeText(static_cast<int32_t>(remaining));
}

int32_t FramesForEstimate(double frames) {
  if (std::isnan(frames)) return -1;
  double whole = std::trunc(frames);
  if (whole > static_cast<double>(kInt32Max) || whole < -static_cast<double>(kInt32Max) - 1) return -1;
  return static_cast<int32_t>(whole);
}

std::wstring RemainingTimeText(int32_t remaining_ms) {
  if (remaining_ms < 0) return L"...";
  int32_t hours = remaining_ms / kMsPerHour;
  int32_t minutes = remaining_ms % kMsPerHour / kMsPerMinute;
  if (hours == 0) {
    if (minutes == 0) return L"< 1 minute";
    if (minutes == 1) return L"< 2 minutes";
    return std::to_wstring(minutes) + L" minutes";
  }
  // Beside hours, a minute count below two is shown as its upper bound.
  if (minutes == 0) return HoursText(hours) + L"1 minute";
  if (minutes == 1) return HoursText(hours) + L"2 minutes";
  return HoursText(hours) + std::to_wstring(minutes) + L" minutes";
}

}  // namespace cw
