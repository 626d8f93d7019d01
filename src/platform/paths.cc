// Path texts over the system's separator rule (paths-posix.cc, paths-win32.cc).
#include "platform/paths.h"

namespace cw {

size_t LastSeparator(const std::wstring& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::wstring::npos;
}

std::wstring FolderOfPath(const std::wstring& path) {
  size_t separator = LastSeparator(path);
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::wstring FileNameOfPath(const std::wstring& path) {
  size_t separator = LastSeparator(path);
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring BaseNameOfPath(const std::wstring& path) {
  std::wstring name = FileNameOfPath(path);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ParentFolderOf(const std::wstring& path) {
  size_t end = path.size();
  while (end > 0 && IsPathSeparator(path[end - 1])) --end;
  if (end == 0) return std::wstring();  // "" or the root alone
  size_t separator = LastSeparator(path.substr(0, end));
  if (separator == std::wstring::npos) return std::wstring();
  return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

}  // namespace cw
