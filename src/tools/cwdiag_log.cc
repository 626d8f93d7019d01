// cwdiag log FILE: the figures the parsers read from an encoder log.
#include <charconv>
#include <cstdio>
#include <string>

#include "analysis/progress_parser.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

// One decimal, a full stop as the decimal mark, whatever the locale.
std::string OneDecimal(double value) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
  return std::string(buf, result.ptr);
}

}  // namespace

int RunLog(const Args& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: cwdiag log FILE\n");
    return 2;
  }
  std::string bytes;
  if (!ReadFileBytes(SystemToWide(args[0]), &bytes)) {
    std::fprintf(stderr, "cwdiag log: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const std::wstring log = SystemToWideReplacing(bytes);
  const int32_t duration_ms = ParseDurationMs(log);
  std::string line = "duration_text=" + Quote(ParseDurationText(log));
  line += " duration_ms=" + std::to_string(duration_ms);
  line += " frame_rate=" + std::to_string(ParseFrameRate(log));
  line += " total_frames=" + OneDecimal(EstimateTotalFrames(log));
  line += " current_frame=" + OneDecimal(static_cast<double>(ParseFrameNumber(log)));
  line += " bitrate=" + OneDecimal(ParseBitrate(log));
  line += " size_kb=" + OneDecimal(EstimateOutputSizeKB(log, duration_ms));
  std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace cw::diag
