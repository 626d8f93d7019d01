// The log parsers. The two searches made after every chunk start at the last
// occurrence of their literal, so they cover only the tail of the log; the
// two searches from the start run only until the total frame count is known
// and stop at their first match near the top of the log.
#include "analysis/progress_parser.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/decimal_text.h"
#include "analysis/log_patterns.h"

namespace cw {
namespace {

// Shorter logs cannot hold any of the lines; nothing is searched.
constexpr size_t kShortestSearchedLog = 16;

// Where a search for the newest line begins: the last occurrence of
// `literal`, or -1 (the start) when there is none.
int LastOccurrence(std::wstring_view log, std::wstring_view literal) {
  size_t at = log.rfind(literal);
  return at == std::wstring_view::npos ? -1 : static_cast<int>(at);
}

// The text of `group` of a search of `pattern` in `log` from `start`;
// false when there is no match or the group took no part.
bool SearchGroup(const CPattern& pattern, std::wstring_view log, int start, int group,
                 std::wstring_view* text) {
  // Positions are 32-bit; a log can never come near that length in practice.
  int length = static_cast<int>(std::min<size_t>(log.size(), std::numeric_limits<int>::max()));
  CMatchSpansT match = pattern.Search(log.data(), length, start);
  if (!match.IsFound()) return false;
  if (group < 0) group = match.HighestGroup();
  int begin = match.GroupBegin(group);
  int end = match.GroupEnd(group);
  if (begin < 0 || end < begin) return false;
  *text = log.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
  return true;
}

constexpr int kHighestGroup = -1;

struct DurationParts {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
  int32_t milliseconds = 0;
};

// Splits "hh:mm:ss.f" (1 to 3 fraction digits); false when too short.
bool SplitDuration(std::wstring_view text, DurationParts* parts) {
  if (text.size() < 8) return false;
  parts->hours = ReadDecimalInteger(text.substr(0, 2));
  parts->minutes = ReadDecimalInteger(text.substr(3, 2));
  parts->seconds = ReadDecimalInteger(text.substr(6, 2));
  // The fraction counts in thousandths: '5' and '50' both mean 500 ms.
  std::wstring_view fraction = text.size() > 9 ? text.substr(9) : std::wstring_view();
  if (fraction.size() > 3) fraction = fraction.substr(0, 3);
  int32_t ms = ReadDecimalInteger(fraction);
  for (size_t digits = fraction.size(); digits < 3; ++digits) ms *= 10;
  parts->milliseconds = ms;
  return true;
}

int64_t WholeSeconds(const DurationParts& parts) {
  return (int64_t{parts.hours} * 60 + parts.minutes) * 60 + parts.seconds;
}

}  // namespace

int32_t ParseFrameNumber(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return -1;
  std::wstring_view count;
  if (!SearchGroup(GetLogPatterns().frame, log, LastOccurrence(log, L"frame="), kHighestGroup, &count)) {
    return -1;
  }
  return ReadDecimalInteger(TrimAsciiSpace(count));
}

int32_t ParseFrameRate(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return -1;
  std::wstring_view rate;
  if (!SearchGroup(GetLogPatterns().rate, log, 0, 1, &rate)) return -1;
  return ReadDecimalInteger(rate);
}

std::wstring ParseDurationText(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return std::wstring();
  std::wstring_view text;
  if (!SearchGroup(GetLogPatterns().duration, log, 0, 1, &text)) return std::wstring();
  return std::wstring(text);
}

int32_t ParseDurationMs(std::wstring_view log) {
  DurationParts parts;
  if (!SplitDuration(ParseDurationText(log), &parts)) return -1;
  // At most 99:99:99.999, far inside 32 bits.
  return static_cast<int32_t>(WholeSeconds(parts) * 1000 + parts.milliseconds);
}

double EstimateTotalFrames(std::wstring_view log) {
  int32_t rate = ParseFrameRate(log);
  DurationParts parts;
  if (!SplitDuration(ParseDurationText(log), &parts) || rate == -1) return -1.0;
  // In 64 bits: a garbled ten-digit rate must not wrap around.
  int64_t total = int64_t{rate} * WholeSeconds(parts);
  if (total < 1) return -1.0;
  return static_cast<double>(total);
}

double ParseBitrate(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return -1.0;
  std::wstring_view rate;
  if (!SearchGroup(GetLogPatterns().bitrate, log, LastOccurrence(log, L" bitrate="), kHighestGroup, &rate)) {
    return -1.0;
  }
  return std::trunc(ReadDecimalDouble(TrimAsciiSpace(rate)));
}

double EstimateOutputSizeKB(std::wstring_view log, int32_t duration_ms) {
  if (duration_ms < 0) return -1.0;
  double bitrate = ParseBitrate(log);
  if (bitrate == -1.0) return -1.0;
  return bitrate * static_cast<double>(duration_ms / 1000) * 0.125;
}

void RefreshProgressFigures(std::wstring_view log, ProgressFigures* figures) {
  if (figures->total_frames == -1.0 && log.size() > kLogLengthBeforeTotals) {
    figures->duration_ms = ParseDurationMs(log);
    figures->total_frames = EstimateTotalFrames(log);
  }
  figures->current_frame = static_cast<double>(ParseFrameNumber(log));
  figures->size_kb = EstimateOutputSizeKB(log, figures->duration_ms);
}

}  // namespace cw
