// A helper program run to its end with a deadline and a byte cap, on top of
// ChildProcess, so the same code serves every system.
#include "platform/child_run.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace cw {

ChildRunResult RunChild(const std::vector<std::wstring>& argv, const ChildRunLimits& limits) {
  using Clock = std::chrono::steady_clock;
  ChildRunResult result;
  std::unique_ptr<ChildProcess> child = ChildProcess::Start(argv, &result.start_error, limits.niceness);
  if (!child) return result;
  result.started = true;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.deadline_ms);
  auto left_ms = [&] {
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
  };
  result.in_time = true;
  std::string chunk;
  for (;;) {
    const int left = left_ms();
    if (left <= 0) { result.in_time = false; break; }
    ChildProcess::ReadResult read = child->ReadOutputWithin(&chunk, left);
    if (read == ChildProcess::ReadResult::kClosed) break;
    if (read == ChildProcess::ReadResult::kData && result.output.size() < limits.max_bytes) {
      result.output.append(chunk, 0, limits.max_bytes - result.output.size());
    }
  }
  // The output closes when the child ends; a child that closed it early is
  // still given the rest of its time.
  if (result.in_time && !child->WaitForEnd(left_ms())) result.in_time = false;
  if (!result.in_time) child->Kill();
  result.exit = child->Reap();
  return result;
}

}  // namespace cw
