// cwdiag size KB: the expected-size text of an estimate in kilobytes.
#include <charconv>
#include <cstdio>
#include <string>

#include "analysis/size_text.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {

int RunSize(const Args& args) {
  double kb = 0;
  bool valid = args.size() == 1 && !args[0].empty();
  if (valid) {
    // A full stop as the decimal mark, whatever the locale.
    const std::string& text = args[0];
    auto result = std::from_chars(text.data(), text.data() + text.size(), kb);
    valid = result.ec == std::errc() && result.ptr == text.data() + text.size();
  }
  if (!valid) {
    std::fprintf(stderr, "usage: cwdiag size KB (a number such as 1536 or -1)\n");
    return 2;
  }
  std::printf("%s\n", WideToSystem(FormatSizeText(kb)).c_str());
  return 0;
}

}  // namespace cw::diag
