// Fuzzes the log parsers with arbitrary encoder output: no crash, no
// undefined behaviour, and every figure is a sentinel or in its range.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analysis/progress_parser.h"
#include "analysis/size_text.h"
#include "platform/text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring log = cw::SystemToWide(std::string_view(reinterpret_cast<const char*>(data), size));

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
