// Facts about files and the environment that the source probing needs: a
// file's modification time, an environment variable and the user's home.
#pragma once

#include <cstdint>
#include <string>

namespace cw {

// The file's last modification in whole seconds since 1970, or -1 when it
// cannot be read. Any thread.
int64_t FileModifiedSeconds(const std::wstring& path);

// The value of an environment variable, "" when unset. Any thread.
std::wstring EnvironmentText(const char* name);

}  // namespace cw
