// The system's narrow code page on Windows: the ANSI code page (CP_ACP).
#include <windows.h>

#include <climits>

#include "platform/text.h"

namespace cw {

std::wstring CodePageToWide(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return L"";
  int size = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return L"";
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), n);
  return text;
}

std::string WideToCodePage(std::wstring_view text) {
  // Escaped bytes are not characters: they go out as '?' like anything the
  // code page cannot show.
  std::wstring shown = DisplayText(text);
  if (shown.empty() || shown.size() > INT_MAX) return "";
  int size = static_cast<int>(shown.size());
  int n = WideCharToMultiByte(CP_ACP, 0, shown.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return "";
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, shown.data(), size, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

}  // namespace cw
