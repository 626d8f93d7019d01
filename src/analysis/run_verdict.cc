// The verdict on a finished encoder run, from the input listing and the last
// status line of its log.
#include "analysis/run_verdict.h"

#include <charconv>

#include "analysis/decimal_text.h"
#include "analysis/progress_parser.h"
#include "platform/translate.h"

namespace cw {
namespace {

constexpr std::wstring_view kInputLine = L"Input #0, ";

// The listing of the source: its "Input #0, FORMATS, from 'PATH':" line and
// the indented lines under it, up to the first line that is not indented.
// The stream lines are searched only after the path.
// Empty when the log has no such listing.
std::wstring_view InputListing(std::wstring_view log) {
  size_t begin = log.find(kInputLine);
  while (begin != std::wstring_view::npos && begin > 0 && log[begin - 1] != L'\n' && log[begin - 1] != L'\r') {
    begin = log.find(kInputLine, begin + 1);
  }
  if (begin == std::wstring_view::npos) return {};
  // The first line ends after the quoted path, which may hold line ends.
  size_t end = log.find(L"':\n", begin);
  end = end == std::wstring_view::npos ? log.find(L'\n', begin) : end + 2;
  while (end != std::wstring_view::npos && end + 1 < log.size() && (log[end + 1] == L' ' || log[end + 1] == L'\t')) {
    end = log.find(L'\n', end + 1);
  }
  return log.substr(begin, end == std::wstring_view::npos ? std::wstring_view::npos : end - begin);
}

// The lines of `text`, each without its line end, one at a time.
template <typename Visit>
void ForEachLine(std::wstring_view text, Visit visit) {
  while (!text.empty()) {
    size_t end = text.find(L'\n');
    visit(text.substr(0, end));
    if (end == std::wstring_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// The reader names of "Input #0, mov,mp4,m4a, from '...'": the single-image
// readers are "image2" and the "..._pipe" family ("png_pipe", "jpeg_pipe").
bool ReadAsImage(std::wstring_view listing) {
  std::wstring_view names = listing.substr(kInputLine.size());
  names = names.substr(0, names.find(L", from '"));
  bool image = false;
  ForEachLine(names, [&](std::wstring_view line) {
    while (!line.empty()) {
      size_t comma = line.find(L',');
      std::wstring_view name = TrimAsciiSpace(line.substr(0, comma));
      if (name == L"image2" || (name.size() > 5 && name.substr(name.size() - 5) == L"_pipe")) image = true;
      if (comma == std::wstring_view::npos) break;
      line.remove_prefix(comma + 1);
    }
  });
  return image;
}

// The stream lines of the listing, after the source's path.
template <typename Visit>
void ForEachStreamLine(std::wstring_view listing, Visit visit) {
  size_t path_end = listing.find(L"':\n");
  if (path_end != std::wstring_view::npos) listing.remove_prefix(path_end + 3);
  ForEachLine(listing, [&](std::wstring_view line) {
    line = TrimAsciiSpace(line);
    if (line.rfind(L"Stream #0:", 0) != 0) return;
    size_t kind = line.find(L": ");
    if (kind != std::wstring_view::npos) visit(line.substr(kind + 2));
  });
}

// Milliseconds as seconds with one decimal, "2.0".
std::wstring Seconds(int32_t ms) {
  const int64_t tenths = (int64_t{ms} + 50) / 100;
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, tenths / 10);
  (void)ec;
  std::wstring text(buffer, end);
  text += L'.';
  text += static_cast<wchar_t>(L'0' + tenths % 10);
  return text;
}

bool FallsShort(int32_t converted_ms, int32_t source_ms) {
  const int64_t shortfall = int64_t{source_ms} - converted_ms;
  return shortfall > kShortfallMs && shortfall * 100 > int64_t{source_ms} * kShortfallPercent;
}

// A "Stream #0:1(eng): Video: h264 ..." line that is not a cover picture.
bool HasVideoStream(std::wstring_view listing) {
  bool found = false;
  ForEachStreamLine(listing, [&](std::wstring_view stream) {
    if (stream.rfind(L"Video: ", 0) == 0 && stream.find(L"(attached pic)") == std::wstring_view::npos) found = true;
  });
  return found;
}

}  // namespace

std::wstring RunVerdict(std::wstring_view log) {
  const std::wstring_view listing = InputListing(log);
  if (listing.empty()) return kSourceUnreadableReason;
  if (!HasVideoStream(listing)) return kNoVideoStreamReason;
  if (ReadAsImage(listing)) return kStillImageReason;
  return L"";
}

std::wstring ShortOutputReason(int32_t output_ms, int32_t source_ms) {
  if (output_ms < 0 || source_ms < 0 || !FallsShort(output_ms, source_ms)) return L"";
  return Fill(kSourceEndedEarlyReason, {Seconds(output_ms), Seconds(source_ms)});
}

int32_t ListedSpanMs(std::wstring_view log) {
  const std::wstring_view listing = InputListing(log);
  const int32_t duration_ms = ParseDurationMs(listing);
  if (duration_ms < 0) return -1;
  // "  Duration: 02:46:42.00, start: 9999.977000, bitrate: 0 kb/s"
  constexpr std::wstring_view kStart = L", start: ";
  const size_t at = listing.find(kStart, listing.find(L"Duration: "));
  if (at == std::wstring_view::npos) return duration_ms;
  std::wstring_view start = listing.substr(at + kStart.size());
  start = start.substr(0, start.find_first_of(L",\r\n"));
  const double start_ms = ReadDecimalDouble(start) * 1000;
  return start_ms > 0 && start_ms < duration_ms ? duration_ms - static_cast<int32_t>(start_ms + 0.5) : duration_ms;
}

std::wstring WriteFailure(std::wstring_view log) {
  return log.find(L"No space left on device") != std::wstring_view::npos ? kDiskFullReason : L"";
}

}  // namespace cw
