// POSIX implementation of the thread's processor time.
#include <time.h>

#include "platform/cpu_time.h"

namespace cw {

double ThreadCpuSeconds() {
  timespec t{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) != 0) return 0;
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace cw
