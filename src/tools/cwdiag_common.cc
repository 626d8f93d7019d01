// Output helpers shared by the cwdiag subcommands.
#include <cstdio>

#include "platform/message.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  auto unit = [&out](unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", v);
    out += buf;
  };
  for (wchar_t c : text) {
    unsigned long v = static_cast<unsigned long>(c);
    if (c == L'"') {
      out += "\\\"";
    } else if (c == L'\\') {
      out += "\\\\";
    } else if (v >= 0x20 && v <= 0x7E) {
      out += static_cast<char>(v);
    } else if (v > 0xFFFF && v <= 0x10FFFF) {
      v -= 0x10000;
      unit(0xD800 + static_cast<unsigned>(v >> 10));
      unit(0xDC00 + static_cast<unsigned>(v & 0x3FF));
    } else {
      unit(static_cast<unsigned>(v & 0xFFFF));
    }
  }
  return out + "\"";
}

void PrintMessagesToStdout() {
  SetMessageSink([](const std::wstring& text) {
    std::printf("message: %s\n", WideToDisplayUtf8(text).c_str());
    std::fflush(stdout);
  });
}

}  // namespace cw::diag
