// File facts and the environment on POSIX systems.
#include "platform/file_facts.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/text.h"

namespace cw {

int64_t FileModifiedSeconds(const std::wstring& path) {
  struct stat facts {};
  if (stat(WideToSystem(path).c_str(), &facts) != 0) return -1;
  return static_cast<int64_t>(facts.st_mtim.tv_sec);
}

FileStamp StampOfFile(const std::wstring& path) {
  struct stat facts {};
  FileStamp stamp;
  if (stat(WideToSystem(path).c_str(), &facts) != 0) return stamp;
  stamp.size = static_cast<long long>(facts.st_size);
  stamp.modified_ns = static_cast<int64_t>(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec;
  return stamp;
}

std::wstring EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? SystemToWide(value) : std::wstring();
}

}  // namespace cw
