// Facts about files and the environment that the source probing needs: a
// file's modification time, an environment variable and the user's home.
#pragma once

#include <cstdint>
#include <string>

namespace cw {

// The file's last modification in whole seconds since 1970, or -1 when it
// cannot be read. Any thread.
int64_t FileModifiedSeconds(const std::wstring& path);

// A file's size and last modification, to tell whether it changed: a file
// still being written changes one or both. size -1: missing or unreadable.
struct FileStamp {
  long long size = -1;
  int64_t modified_ns = 0;  // since 1970, as finely as the file system keeps it
  bool operator==(const FileStamp&) const = default;
};
// Looks at the file without opening it. Any thread.
FileStamp StampOfFile(const std::wstring& path);

// The value of an environment variable, "" when unset. Any thread.
std::wstring EnvironmentText(const char* name);

}  // namespace cw
