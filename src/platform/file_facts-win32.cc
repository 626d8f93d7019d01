// File facts and the environment on Windows.
#include <windows.h>

#include <cstdlib>

#include "platform/file_facts.h"
#include "platform/long_path.h"

namespace cw {

int64_t FileModifiedSeconds(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA facts;
  if (path.empty() || !GetFileAttributesExW(ExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &facts))
    return -1;
  // 100 ns units since 1601-01-01; 1970-01-01 is 11644473600 seconds later.
  auto ticks = (static_cast<int64_t>(facts.ftLastWriteTime.dwHighDateTime) << 32) | facts.ftLastWriteTime.dwLowDateTime;
  return ticks / 10000000 - INT64_C(11644473600);
}

FileStamp StampOfFile(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA facts;
  FileStamp stamp;
  if (path.empty() || !GetFileAttributesExW(ExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &facts))
    return stamp;
  stamp.size = (static_cast<long long>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
  auto ticks = (static_cast<int64_t>(facts.ftLastWriteTime.dwHighDateTime) << 32) | facts.ftLastWriteTime.dwLowDateTime;
  stamp.modified_ns = (ticks - INT64_C(116444736000000000)) * 100;
  return stamp;
}

std::wstring EnvironmentText(const char* name) {
  std::wstring wide_name(name, name + std::char_traits<char>::length(name));  // names are ASCII
  const wchar_t* value = _wgetenv(wide_name.c_str());
  return value != nullptr ? std::wstring(value) : std::wstring();
}

}  // namespace cw
