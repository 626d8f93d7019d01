// cwdiag regex PATTERN TEXT [START]: searches TEXT for PATTERN from START
// (default 0) and prints "not found", or "found H=<highest group>" and one
// line "<group> <begin> <end>" per group 0..H (-1 -1 for a group that took no
// part). Positions count code units. "--pattern-file F" and "--text-file F"
// take the pattern or the text from a file, whole and unchanged; the remaining
// positional arguments keep their order. Exit 0 whether found or not, 2 on a
// usage error or an unreadable file.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/text.h"
#include "regex/pattern.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

constexpr const char* kUsage =
    "usage: cwdiag regex PATTERN TEXT [START]\n"
    "       cwdiag regex [--pattern-file F] [--text-file F] [PATTERN] [TEXT] [START]\n";

int UsageError(const char* why) {
  std::fprintf(stderr, "cwdiag regex: %s\n%s", why, kUsage);
  return 2;
}

// Reads a whole file as UTF-8 text, line ends and all.
std::optional<std::wstring> ReadText(const std::string& path) {
  std::string bytes;
  if (!ReadFileBytes(SystemToWide(path), &bytes)) return std::nullopt;
  return SystemToWideReplacing(bytes);
}

std::optional<int> ParseStart(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

void PrintResult(const CMatchSpansT& result) {
  if (!result.IsFound()) {
    std::printf("not found\n");
    return;
  }
  std::printf("found H=%d\n", result.HighestGroup());
  for (int g = 0; g <= result.HighestGroup(); ++g) {
    std::printf("%d %d %d\n", g, result.GroupBegin(g), result.GroupEnd(g));
  }
}

}  // namespace

int RunRegex(const Args& args) {
  std::optional<std::string> pattern_file, text_file;
  Args positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--pattern-file" || args[i] == "--text-file") {
      if (i + 1 >= args.size()) return UsageError("missing file name");
      (args[i] == "--pattern-file" ? pattern_file : text_file) = args[i + 1];
      ++i;
    } else {
      positional.push_back(args[i]);
    }
  }
  size_t next = 0;
  std::optional<std::wstring> pattern, text;
  if (pattern_file) {
    pattern = ReadText(*pattern_file);
    if (!pattern) return UsageError(("cannot read " + *pattern_file).c_str());
  } else if (next < positional.size()) {
    pattern = SystemToWideReplacing(positional[next++]);
  }
  if (text_file) {
    text = ReadText(*text_file);
    if (!text) return UsageError(("cannot read " + *text_file).c_str());
  } else if (next < positional.size()) {
    text = SystemToWideReplacing(positional[next++]);
  }
  if (!pattern || !text) return UsageError("missing pattern or text");
  int start = 0;
  if (next < positional.size()) {
    std::optional<int> parsed = ParseStart(positional[next++]);
    if (!parsed) return UsageError("START must be a whole number");
    start = *parsed;
  }
  if (next < positional.size()) return UsageError("too many arguments");

  const CPattern compiled(pattern->c_str());
  PrintResult(compiled.Search(text->c_str(), static_cast<int>(text->size()), start));
  std::fflush(stdout);
  return 0;
}

}  // namespace cw::diag
