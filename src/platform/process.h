// Child processes for the encoder runs: started from an argument list (never
// through a shell), standard input from the null device, standard output and
// standard error into one pipe, in a process group of their own, and killed
// when the thread that started them (and so the program) goes away. The group
// can be frozen, continued and killed as a whole.
//
// On Windows the group is a job object that kills its processes when this
// program ends, freezing suspends every thread of them, and the signal
// numbers are those of Linux: a child ended by Kill reports SIGKILL (9).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cw {

// How a child process ended.
struct ProcessExit {
  bool exited = false;     // it returned from main or called exit
  int exit_code = -1;      // valid when `exited`
  int signal_number = 0;   // the signal that ended it when not `exited`
  bool SucceededNormally() const { return exited && exit_code == 0; }
};

class ChildProcess {
 public:
  // The most bytes one ReadOutput call returns.
  static constexpr size_t kReadLimit = 4095;

  // Why Start failed.
  struct StartError {
    bool no_pipe = false;  // the output pipe (or another descriptor) could not be made
    std::string reason;    // for diagnostics
  };

  // Starts argv[0] (a path; no search of PATH) with the arguments argv[1...].
  // Returns null when the program cannot be started (missing, not executable,
  // no pipe, no process); *error then says why. The child receives SIGKILL
  // when the calling thread ends, so call this from a thread that lives at
  // least as long as the run. `niceness` above 0 lowers the child's processor
  // priority by that much below this program's (at most to the lowest), for
  // background work that must not take the processor from the interface.
  // Any thread.
  static std::unique_ptr<ChildProcess> Start(const std::vector<std::wstring>& argv, StartError* error,
                                             int niceness = 0);

  ~ChildProcess();  // closes the descriptors; does not stop the child
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The child's process id, which is also its process group id.
  int pid() const { return pid_; }

  // Reads the next piece of output, at most kReadLimit bytes, into *chunk.
  // Blocks while the child is silent (or frozen). Returns false, with *chunk
  // empty, once the output is closed or the child has ended with nothing left
  // to read. One reading thread at a time.
  bool ReadOutput(std::string* chunk);

  // Like ReadOutput, but waits at most `timeout_ms` (-1: no limit) for
  // output: kData with the piece in *chunk, kSilent when nothing came in
  // time, kClosed as ReadOutput's false.
  enum class ReadResult { kData, kSilent, kClosed };
  ReadResult ReadOutputWithin(std::string* chunk, int timeout_ms);

  // Waits up to timeout_ms for the child to end (it is not reaped). True if it
  // has ended. Any thread.
  bool WaitForEnd(int timeout_ms);

  // Waits for the end, reaps the child and returns how it ended; later calls
  // return the same. Signals are no longer sent after this. Any thread.
  ProcessExit Reap();

  // Signals to the whole process group; each is ignored once the child has
  // been reaped. Return false only when the signal could not be delivered to
  // a living group. Any thread.
  bool Suspend();  // SIGSTOP
  bool Resume();   // SIGCONT
  bool Kill();     // SIGKILL

 private:
  ChildProcess(int pid, intptr_t waitable, intptr_t output, intptr_t group);
  bool SignalGroup(int signal_number);

  const int pid_;
  const intptr_t waitable_;  // Linux: a pidfd, readable once the child ends; Windows: the process
  const intptr_t output_;    // the read end of the output pipe
  const intptr_t group_;     // Linux: the process group id; Windows: the job object of the child and its children

  mutable std::mutex mutex_;  // guards the fields below and every signal
  bool reaped_ = false;
  bool suspended_ = false;  // frozen by Suspend (Windows counts suspensions: freeze once)
  bool killed_ = false;     // Kill was sent (Windows reports the end as SIGKILL then)
  ProcessExit exit_;
};

// True while any process of the process group `pgid` is alive; ended
// processes not yet reaped (zombies) do not count. Scans /proc: for tests and
// diagnostics. Any thread.
bool ProcessGroupAlive(int pgid);

// True when process `pid` is alive and stopped by a signal (SIGSTOP,
// SIGTSTP...), as /proc tells. Any thread.
bool ProcessStopped(int pid);

// The ids of the living processes whose parent is `pid` (on Windows: made
// after that parent, since ended parents' ids are given again). For tests
// and diagnostics. Any thread.
std::vector<int> ChildProcessIds(int pid);

// Processor time in seconds (user + system) used so far by the living process
// `pid` (on Windows: by its threads still running); -1 when there is no such
// process or it cannot be read. For tests and diagnostics. Any thread.
double ProcessCpuSecondsOf(int pid);

// Processor time in seconds used by this process itself, and by the children
// that it has reaped. Any thread.
struct CpuTimes {
  double self_seconds = 0;
  double children_seconds = 0;
};
CpuTimes ProcessCpuTimes();

}  // namespace cw
