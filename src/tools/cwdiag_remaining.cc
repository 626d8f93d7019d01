// cwdiag remaining SECONDS CURRENT TOTAL: the remaining-time text after one
// closed running interval of SECONDS with those frame counts.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>

#include "analysis/time_tick.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

// A whole decimal argument that fits 32 bits, nothing else around it.
bool ParseInt32(const std::string& text, int32_t* value) {
  auto result = std::from_chars(text.data(), text.data() + text.size(), *value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

int RunRemaining(const Args& args) {
  int32_t seconds = 0;
  int32_t current = 0;
  int32_t total = 0;
  if (args.size() != 3 || !ParseInt32(args[0], &seconds) || !ParseInt32(args[1], &current) ||
      !ParseInt32(args[2], &total)) {
    std::fprintf(stderr, "usage: cwdiag remaining SECONDS CURRENT TOTAL (whole numbers)\n");
    return 2;
  }
  int64_t now = 0;
  TimeTickArray ticks([&now] { return now; });
  ticks.AddTick();
  now += seconds;
  ticks.CloseLastTick();
  ticks.SetFrames(current, total);
  std::printf("%s\n", WideToSystem(ticks.FormatRemainingTime()).c_str());
  return 0;
}

}  // namespace cw::diag
