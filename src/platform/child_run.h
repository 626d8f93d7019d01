// Running a short helper program to its end: started from an argument list
// at a chosen priority, its output (standard output and standard error)
// collected up to a byte cap, killed when it outlives its deadline, and
// always reaped. For the probes of sources and outputs; the encoder runs are
// driven by the runner itself.
#pragma once

#include <string>
#include <vector>

#include "platform/process.h"

namespace cw {

struct ChildRunLimits {
  int deadline_ms = 10000;       // from the start; the child is killed after it
  size_t max_bytes = 1u << 20;   // output kept; the rest is read and dropped
  int niceness = 0;              // as ChildProcess::Start
};

struct ChildRunResult {
  bool started = false;     // false: *start_error says why
  bool in_time = false;     // ended by itself before the deadline
  ProcessExit exit;         // how it ended (after a kill: SIGKILL)
  std::string output;       // at most max_bytes
  ChildProcess::StartError start_error;
  // Started, ended by itself in time, exited with status 0.
  bool Succeeded() const { return started && in_time && exit.SucceededNormally(); }
};

// Runs `argv` (argv[0] a path) to its end within `limits`; the child never
// outlives the call. Any thread (the child is bound to the calling thread's
// life, which the call outlasts).
ChildRunResult RunChild(const std::vector<std::wstring>& argv, const ChildRunLimits& limits);

}  // namespace cw
