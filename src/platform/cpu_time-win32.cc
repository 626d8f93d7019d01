// Windows implementation of the thread's processor time.
#include <windows.h>

#include "platform/cpu_time.h"

namespace cw {

double ThreadCpuSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns units
}

}  // namespace cw
