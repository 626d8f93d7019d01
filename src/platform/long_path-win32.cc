// Extended-length paths for the Windows file functions.
#include <windows.h>

#include "platform/long_path.h"

namespace cw {

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.empty()) return path;
  std::wstring slashed = path;
  for (wchar_t& c : slashed) {
    if (c == L'/') c = L'\\';
  }
  if (slashed.rfind(L"\\\\?\\", 0) == 0) return slashed;
  // GetFullPathNameW resolves "." and "..", a drive-relative or rooted path,
  // and has no length limit of its own.
  DWORD size = GetFullPathNameW(slashed.c_str(), 0, nullptr, nullptr);
  if (size == 0) return slashed;
  std::wstring full(size, L'\0');
  DWORD got = GetFullPathNameW(slashed.c_str(), size, full.data(), nullptr);
  if (got == 0 || got >= size) return slashed;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring PathFromSystem(std::wstring path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path = L"\\\\" + path.substr(8);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  return path;
}

}  // namespace cw
