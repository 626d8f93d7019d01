// Fuzz target: the command-line parser and the live display's layout. The
// input's first two bytes choose the terminal size, the rest is split at zero
// bytes into arguments for the parser and into task names, states and
// percentages for a frame, whose lines must never exceed the width.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/live_display.h"
#include "cli/text_fit.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int columns = data[0];
  int rows = data[1] % 64;
  std::vector<std::string> parts(1);
  for (size_t i = 2; i < size; ++i) {
    if (data[i] == 0) {
      parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(data[i]);
    }
  }
  cw::cli::ParsedCommandLine parsed = cw::cli::ParseCommandLine(parts);
  if (parsed.error.empty() && !parsed.options.help && !parsed.options.list_devices && parsed.options.inputs.empty()) {
    std::abort();  // converting needs something to convert
  }

  std::vector<cw::TaskView> tasks;
  for (const auto& part : parts) {
    cw::TaskView task;
    task.fileName = cw::SystemToWide(part);
    task.guid = task.fileName;
    task.status = part.empty() ? 1 : 1 + static_cast<unsigned char>(part[0]) % 6;
    task.progress = part.size() > 1 ? static_cast<unsigned char>(part[1]) * 0.5 - 10 : 0;
    task.remaining = part.size() > 2 ? cw::SystemToWide(part.substr(2, 20)) : L"...";
    task.size = part.size() > 3 ? cw::SystemToWide(part.substr(3, 12)) : L"...";
    tasks.push_back(std::move(task));
  }
  int limit = std::max(1, (columns > 0 ? columns : 80) - 1);  // 0: unknown, taken as 80
  size_t max_lines = static_cast<size_t>((rows > 0 ? std::max(2, rows) : 24) - 1);
  std::vector<std::wstring> frame = cw::cli::FormatFrame(tasks, columns, rows);
  if (frame.empty() || frame.size() > max_lines) std::abort();
  for (const auto& line : frame) {
    if (cw::cli::TextCells(line) > limit) std::abort();
    // No control character reaches the terminal (line breaks, escapes).
    for (wchar_t c : line) {
      if (c < 0x20 || (c >= 0x7F && c < 0xA0)) std::abort();
    }
  }
  return 0;
}
