// The log parsers. The two searches made after every chunk start at the last
// occurrence of their literal, so they cover only the tail of the log; the
// two searches from the top run only until the total frame count is known,
// begin where their line can first occur and stop at their first match.
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

// The last occurrence of a non-empty `literal` in `log`, or npos. A plain
// backward scan on the first character: the library's reverse search
// compares the whole literal at every position, several times slower on a
// long log that lacks it.
size_t ReverseFind(std::wstring_view log, std::wstring_view literal) {
  if (literal.empty() || literal.size() > log.size()) return std::wstring_view::npos;
  const wchar_t first = literal[0];
  for (size_t i = log.size() - literal.size() + 1; i-- > 0;) {
    if (log[i] == first && log.substr(i, literal.size()) == literal) return i;
  }
  return std::wstring_view::npos;
}

// The patterns below begin with (or, for the rate, hold close to their
// start) a fixed text. Where that text does not occur no search can match,
// and no match can begin before its first occurrence; the searches skip
// those parts of the log, which keeps a log without any such line cheap.
constexpr int kNoMatchPossible = -2;

// Start of the newest-line search for a pattern that begins with `literal`:
// its last occurrence.
int NewestLineStart(std::wstring_view log, std::wstring_view literal) {
  size_t at = ReverseFind(log, literal);
  return at == std::wstring_view::npos ? kNoMatchPossible : static_cast<int>(at);
}

// Start of a from-the-top search for a pattern whose match holds `literal`
// at most `lead` characters after the match's beginning.
int FirstPossibleStart(std::wstring_view log, std::wstring_view literal, size_t lead) {
  size_t at = log.find(literal);
  if (at == std::wstring_view::npos) return kNoMatchPossible;
  return static_cast<int>(at > lead ? at - lead : 0);
}

// The text of `group` of a search of `pattern` in `log` from `start`;
// false when there is no match or the group took no part.
bool SearchGroup(const CPattern& pattern, std::wstring_view log, int start, int group,
                 std::wstring_view* text) {
  if (start == kNoMatchPossible) return false;
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

// For a pattern that begins with `literal` and matches at most `longest`
// characters: the first match in the log found occurrence by occurrence,
// each searched only within its own reach. The result is the plain search's
// (a match can begin only at an occurrence), but the log between the
// occurrences is skipped by a fast literal scan.
bool SearchFromOccurrences(const CPattern& pattern, std::wstring_view log, std::wstring_view literal,
                           size_t first, size_t longest, int group, std::wstring_view* text) {
  for (size_t at = log.find(literal, first); at != std::wstring_view::npos; at = log.find(literal, at + 1)) {
    std::wstring_view reach = log.substr(0, std::min(log.size(), at + longest));
    if (SearchGroup(pattern, reach, static_cast<int>(at), group, text)) return true;
  }
  return false;
}

// The longest texts the frame and duration patterns can match:
// "frame=" + 20 + "fps=", and "Duration: hh:mm:ss.fff,".
constexpr size_t kLongestFrameMatch = 30;
constexpr size_t kLongestDurationMatch = 23;

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
  // Only the newest "frame=" can start a match from there on.
  size_t newest = ReverseFind(log, L"frame=");
  if (newest == std::wstring_view::npos) return -1;
  std::wstring_view count;
  if (!SearchFromOccurrences(GetLogPatterns().frame, log, L"frame=", newest, kLongestFrameMatch, kHighestGroup,
                             &count)) {
    return -1;
  }
  return ReadDecimalInteger(TrimAsciiSpace(count));
}

int32_t ParseFrameRate(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return -1;
  std::wstring_view rate;
  // ", " and 2 to 10 characters of the rate come before " tbr, ".
  int start = FirstPossibleStart(log, L" tbr, ", 12);
  if (!SearchGroup(GetLogPatterns().rate, log, start, 1, &rate)) return -1;
  return ReadDecimalInteger(rate);
}

std::wstring ParseDurationText(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return std::wstring();
  std::wstring_view text;
  if (!SearchFromOccurrences(GetLogPatterns().duration, log, L"Duration: ", 0, kLongestDurationMatch, 1, &text)) {
    return std::wstring();
  }
  return std::wstring(text);
}

int32_t ParseDurationMs(std::wstring_view log) {
  DurationParts parts;
  if (!SplitDuration(ParseDurationText(log), &parts)) return -1;
  // At most 99:99:99.999, far inside 32 bits.
  return static_cast<int32_t>(WholeSeconds(parts) * 1000 + parts.milliseconds);
}

namespace {

// True when the line holding position `at` of `log` is a status line: it
// begins, after blanks, with "frame=" or "size=". Status lines end in '\r'
// while the encoder works and in '\n' at the end.
bool InStatusLine(std::wstring_view log, size_t at) {
  size_t begin = log.find_last_of(L"\r\n", at);
  begin = begin == std::wstring_view::npos ? 0 : begin + 1;
  std::wstring_view line = TrimAsciiSpace(log.substr(begin, at - begin));
  return line.rfind(L"frame=", 0) == 0 || line.rfind(L"size=", 0) == 0;
}

// The text after the newest `key` ("time=", "size=") that stands in a status
// line (the key itself may begin the line); one in a file name or a
// metadata line does not count. Empty when there is none.
std::wstring_view AfterNewestStatusKey(std::wstring_view log, std::wstring_view key) {
  size_t at = log.rfind(key);
  while (at != std::wstring_view::npos && !InStatusLine(log, at + key.size())) {
    at = at == 0 ? std::wstring_view::npos : log.rfind(key, at - 1);
  }
  return at == std::wstring_view::npos ? std::wstring_view() : log.substr(at + key.size());
}

bool IsDigitAt(std::wstring_view text, size_t i) { return i < text.size() && text[i] >= L'0' && text[i] <= L'9'; }

// "h:mm:ss" (one to six hour digits) with an optional fraction of which the
// first three digits count, and nothing else, in milliseconds; -1 otherwise.
int32_t ClockTextMs(std::wstring_view text) {
  const size_t colon = text.find(L':');
  if (colon == 0 || colon == std::wstring_view::npos || colon > 6) return -1;
  for (size_t i = 0; i < colon; ++i) {
    if (!IsDigitAt(text, i)) return -1;
  }
  const size_t m = colon + 1, s = colon + 4;
  if (!IsDigitAt(text, m) || !IsDigitAt(text, m + 1) || text.size() <= m + 2 || text[m + 2] != L':' ||
      !IsDigitAt(text, s) || !IsDigitAt(text, s + 1)) {
    return -1;
  }
  int64_t ms = ((int64_t{ReadDecimalInteger(text.substr(0, colon))} * 60 + ReadDecimalInteger(text.substr(m, 2))) * 60 +
                ReadDecimalInteger(text.substr(s, 2))) * 1000;
  std::wstring_view rest = text.substr(s + 2);
  if (!rest.empty()) {
    if (rest[0] != L'.' || rest.size() == 1) return -1;
    int32_t scale = 100;
    for (size_t i = 1; i < rest.size(); ++i) {
      if (!IsDigitAt(rest, i)) return -1;
      ms += (rest[i] - L'0') * scale;
      scale /= 10;
    }
  }
  return ms > std::numeric_limits<int32_t>::max() ? -1 : static_cast<int32_t>(ms);
}

}  // namespace

int32_t ParseStatusTimeMs(std::wstring_view log) {
  std::wstring_view value = AfterNewestStatusKey(log, L"time=");
  return ClockTextMs(value.substr(0, value.find_first_of(L" \t\r\n")));
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

double ParseWrittenKB(std::wstring_view log) {
  // The newest "size=" of a status line ("Lsize=" on the last one).
  std::wstring_view value = AfterNewestStatusKey(log, L"size=");
  const size_t first = value.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return -1.0;
  value = value.substr(first);
  size_t digits = 0;
  while (IsDigitAt(value, digits)) ++digits;
  if (digits == 0 || digits > 15) return -1.0;
  std::wstring_view unit = value.substr(digits);
  // Older encoders write "kB", newer ones "KiB": both count 1024 bytes.
  if (unit.rfind(L"kB", 0) != 0 && unit.rfind(L"KiB", 0) != 0) return -1.0;
  return ReadDecimalDouble(value.substr(0, digits));
}

double CapTotalFrames(double total_frames, std::wstring_view log, double max_rate) {
  if (!(total_frames > 0) || !(max_rate > 0) || !std::isfinite(max_rate)) return total_frames;
  int32_t rate = ParseFrameRate(log);
  if (rate <= 0 || rate <= max_rate) return total_frames;
  return std::max(1.0, std::floor(total_frames * max_rate / rate));
}

double ParseBitrate(std::wstring_view log) {
  if (log.size() < kShortestSearchedLog) return -1.0;
  std::wstring_view rate;
  if (!SearchGroup(GetLogPatterns().bitrate, log, NewestLineStart(log, L" bitrate="), kHighestGroup,
                   &rate)) {
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
  figures->written_kb = ParseWrittenKB(log);
}

}  // namespace cw
