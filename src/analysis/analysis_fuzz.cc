// Fuzzes the log parsers with arbitrary encoder output: no crash, no
// undefined behaviour, and every figure is a sentinel or in its range.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analysis/decimal_text.h"
#include "analysis/log_patterns.h"
#include "analysis/progress_parser.h"
#include "analysis/run_verdict.h"
#include "analysis/size_text.h"
#include "platform/text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The plain search that the parsers shorten: `pattern` from `start` over the
// whole log, the text of `group` (-1: the highest), or "<none>".
std::wstring PlainSearch(const cw::CPattern& pattern, const std::wstring& log, int start, int group) {
  if (log.size() < 16) return L"<none>";
  cw::CMatchSpansT match = pattern.Search(log.data(), static_cast<int>(log.size()), start);
  if (!match.IsFound()) return L"<none>";
  if (group < 0) group = match.HighestGroup();
  if (match.GroupBegin(group) < 0) return L"<none>";
  return log.substr(match.GroupBegin(group), match.GroupEnd(group) - match.GroupBegin(group));
}

int LastOf(const std::wstring& log, const wchar_t* literal) {
  size_t at = log.rfind(literal);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

// The parsers give what the plain searches give.
void CompareWithPlainSearches(const std::wstring& log) {
  const cw::LogPatterns& patterns = cw::GetLogPatterns();
  std::wstring duration = PlainSearch(patterns.duration, log, 0, 1);
  Require(cw::ParseDurationText(log) == (duration == L"<none>" ? L"" : duration));
  std::wstring frame = PlainSearch(patterns.frame, log, LastOf(log, L"frame="), -1);
  if (frame == L"<none>") Require(cw::ParseFrameNumber(log) == -1);
  std::wstring rate = PlainSearch(patterns.rate, log, 0, 1);
  if (rate == L"<none>") Require(cw::ParseFrameRate(log) == -1);
  if (rate != L"<none>") Require(cw::ParseFrameRate(log) == cw::ReadDecimalInteger(rate));
  std::wstring bitrate = PlainSearch(patterns.bitrate, log, LastOf(log, L" bitrate="), -1);
  if (bitrate == L"<none>") Require(cw::ParseBitrate(log) == -1.0);
  if (frame != L"<none>") {
    Require(cw::ParseFrameNumber(log) == cw::ReadDecimalInteger(cw::TrimAsciiSpace(frame)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring log = cw::SystemToWideReplacing(std::string_view(reinterpret_cast<const char*>(data), size));

  Require(cw::ParseFrameNumber(log) >= -1);
  Require(cw::ParseFrameRate(log) >= -1);
  const std::wstring duration_text = cw::ParseDurationText(log);
  const int32_t duration_ms = cw::ParseDurationMs(log);
  Require(duration_text.empty() == (duration_ms == -1));
  Require(duration_ms >= -1 && duration_ms <= 362439999);
  const double total = cw::EstimateTotalFrames(log);
  Require(total == -1.0 || total >= 1.0);
  const double bitrate = cw::ParseBitrate(log);
  Require(bitrate == -1.0 || (bitrate >= 0 && bitrate == std::trunc(bitrate)));
  const double size_kb = cw::EstimateOutputSizeKB(log, duration_ms);
  Require(size_kb == -1.0 || size_kb >= 0);
  Require(!cw::FormatSizeText(size_kb).empty());
  CompareWithPlainSearches(log);
  Require(cw::ParseStatusTimeMs(log) >= -1);
  const std::wstring verdict = cw::RunVerdict(log);
  Require(verdict.empty() || verdict == cw::kSourceUnreadableReason || verdict == cw::kNoVideoStreamReason ||
          verdict == cw::kStillImageReason || verdict.rfind(L"the source ended early: ", 0) == 0);

  // The runner's view, chunk by chunk: a total once known stays.
  cw::ProgressFigures figures;
  const size_t step = log.size() / 4 + 1;
  for (size_t end = step; end < log.size() + step; end += step) {
    const double known_total = figures.total_frames;
    cw::RefreshProgressFigures(std::wstring_view(log).substr(0, std::min(end, log.size())), &figures);
    Require(known_total == -1.0 || figures.total_frames == known_total);
  }
  return 0;
}
