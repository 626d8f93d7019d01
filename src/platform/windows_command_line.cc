// Quoting of Windows command lines, the inverse of the runtime's split.
#include "platform/windows_command_line.h"

namespace cw {

std::wstring QuoteWindowsArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: there each stands for half.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');  // they come before the closing quote
  quoted += L'"';
  return quoted;
}

std::wstring WindowsCommandLine(const std::vector<std::wstring>& argv) {
  if (argv.empty()) return L"";
  std::wstring line = L"\"" + argv[0] + L"\"";
  for (size_t i = 1; i < argv.size(); ++i) line += L" " + QuoteWindowsArgument(argv[i]);
  return line;
}

}  // namespace cw
