// POSIX implementation of the child processes of the encoder runs (Linux:
// pidfd for waiting, PR_SET_PDEATHSIG so that no encoder outlives the program).
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstring>

#include "platform/process.h"
#include "platform/text.h"

namespace cw {
namespace {

int Fd(intptr_t descriptor) { return static_cast<int>(descriptor); }

int OpenPidFd(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

void CloseIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

constexpr int kSamePriority = -100;   // the child keeps this program's priority
constexpr int kLowestPriority = 19;   // the highest nice value

// Closes every descriptor from `first` upward except `keep`. Runs in the
// child between fork and exec, so it uses only async-signal-safe calls.
void CloseDescriptorsFrom(int first, int keep) {
  if (keep > first) syscall(SYS_close_range, first, keep - 1, 0);
  if (syscall(SYS_close_range, keep + 1, ~0U, 0) == 0) return;
  long max = sysconf(_SC_OPEN_MAX);
  for (long fd = first; fd < (max > 0 ? max : 1024); ++fd) {
    if (fd != keep) close(static_cast<int>(fd));
  }
}

// The child's side of Start: never returns. It runs in vfork's child, on the
// parent's memory: only system calls, on data prepared before, and every
// signal blocked until the dispositions are the defaults again.
[[noreturn]] void BecomeChild(char* const* argv, int null_fd, int output_fd, int error_fd,
                              pid_t parent, int priority) {
  setpgid(0, 0);
  if (priority != kSamePriority) setpriority(PRIO_PROCESS, 0, priority);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);  // this program ended before the line above

  // Dispositions and the mask are inherited through exec: give the encoder
  // the defaults whatever this program set for itself.
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  for (int s = 1; s < NSIG; ++s) {
    if (s != SIGKILL && s != SIGSTOP) sigaction(s, &dfl, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);

  // Copies above the standard slots first: when this program runs with a
  // standard descriptor closed, the pipe or the null device may sit in one.
  int input_copy = fcntl(null_fd, F_DUPFD, 10);
  int output_copy = fcntl(output_fd, F_DUPFD, 10);
  if (input_copy < 0 || output_copy < 0 || dup2(input_copy, 0) < 0 || dup2(output_copy, 1) < 0 ||
      dup2(output_copy, 2) < 0) {
    int e = errno;
    (void)!write(error_fd, &e, sizeof e);
    _exit(127);
  }
  CloseDescriptorsFrom(3, error_fd);
  execv(argv[0], argv);
  int e = errno;
  (void)!write(error_fd, &e, sizeof e);
  _exit(127);
}

// vfork on its own frame: nothing of the caller's is live across it.
pid_t VforkChild(char* const* argv, int null_fd, int output_fd, int error_fd, pid_t parent, int priority) {
  pid_t pid = vfork();
  if (pid == 0) BecomeChild(argv, null_fd, output_fd, error_fd, parent, priority);
  return pid;
}

std::string ErrnoText(const char* what, int e) { return std::string(what) + ": " + std::strerror(e); }

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::wstring>& argv,
                                                  StartError* error, int niceness) {
  *error = StartError();
  if (argv.empty()) {
    error->reason = "no program";
    return nullptr;
  }
  // Everything the child needs is prepared before fork.
  std::vector<std::string> narrow;
  narrow.reserve(argv.size());
  for (const auto& a : argv) narrow.push_back(WideToSystem(a));
  std::vector<char*> pointers;
  for (auto& a : narrow) pointers.push_back(a.data());
  pointers.push_back(nullptr);

  int output[2] = {-1, -1};
  int report[2] = {-1, -1};
  int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null_fd < 0 || pipe2(output, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) {
    error->no_pipe = true;
    error->reason = ErrnoText("pipe", errno);
    for (int fd : {null_fd, output[0], output[1], report[0], report[1]}) CloseIfOpen(fd);
    return nullptr;
  }

  int priority = kSamePriority;
  if (niceness > 0) {
    errno = 0;
    const int own = getpriority(PRIO_PROCESS, 0);
    if (errno == 0) priority = std::min(own + niceness, kLowestPriority);
  }
  pid_t parent = getpid();
  // vfork: a copy of a large program (the window with its browser engine)
  // takes far longer to make than the encoder takes to start, and it sits
  // between one conversion's end and the next one's start. The child shares
  // this program's memory until it executes, so it only makes system calls
  // on what was prepared above, and every signal stays blocked until it
  // has put the default handlers back (a handler of ours must never run in
  // it).
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  pid_t pid = VforkChild(pointers.data(), null_fd, output[1], report[1], parent, priority);
  int fork_errno = errno;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  close(null_fd);
  close(output[1]);
  close(report[1]);
  if (pid < 0) {
    error->reason = ErrnoText("fork", fork_errno);
    close(output[0]);
    close(report[0]);
    return nullptr;
  }
  setpgid(pid, pid);  // also done by the child; whichever comes first wins

  // The report pipe closes at a successful exec; an errno arrives otherwise.
  int child_errno = 0;
  ssize_t got;
  do {
    got = read(report[0], &child_errno, sizeof child_errno);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got > 0) {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    close(output[0]);
    error->reason = ErrnoText("exec", child_errno);
    return nullptr;
  }

  int pidfd = OpenPidFd(pid);
  if (pidfd < 0) {
    error->reason = ErrnoText("pidfd_open", errno);
    kill(-pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    close(output[0]);
    return nullptr;
  }
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid, pidfd, output[0], pid));
}

ChildProcess::ChildProcess(int pid, intptr_t waitable, intptr_t output, intptr_t group)
    : pid_(pid), waitable_(waitable), output_(output), group_(group) {}

ChildProcess::~ChildProcess() {
  close(Fd(waitable_));
  close(Fd(output_));
}

bool ChildProcess::ReadOutput(std::string* chunk) { return ReadOutputWithin(chunk, -1) == ReadResult::kData; }

ChildProcess::ReadResult ChildProcess::ReadOutputWithin(std::string* chunk, int timeout_ms) {
  chunk->clear();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
    struct pollfd fds[2] = {{Fd(output_), POLLIN, 0}, {Fd(waitable_), POLLIN, 0}};
    int n = poll(fds, 2, wait_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ReadResult::kClosed;
    }
    if (n == 0) return ReadResult::kSilent;
    if (fds[0].revents != 0) {
      char buffer[kReadLimit];
      ssize_t got = read(Fd(output_), buffer, sizeof buffer);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got <= 0) return ReadResult::kClosed;
      chunk->assign(buffer, static_cast<size_t>(got));
      return ReadResult::kData;
    }
    // The child ended and the pipe has nothing to read (something it left
    // behind may still hold the pipe open): the output is over.
    if (fds[1].revents != 0) return ReadResult::kClosed;
  }
}

bool ChildProcess::WaitForEnd(int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    int wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    struct pollfd fd = {Fd(waitable_), POLLIN, 0};
    int n = poll(&fd, 1, wait_ms);
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

ProcessExit ChildProcess::Reap() {
  while (!WaitForEnd(60 * 60 * 1000)) {
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (reaped_) return exit_;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid_, &status, 0);
  } while (r < 0 && errno == EINTR);
  reaped_ = true;
  if (r == pid_ && WIFEXITED(status)) {
    exit_.exited = true;
    exit_.exit_code = WEXITSTATUS(status);
  } else if (r == pid_ && WIFSIGNALED(status)) {
    exit_.signal_number = WTERMSIG(status);
  }
  return exit_;
}

bool ChildProcess::SignalGroup(int signal_number) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (reaped_) return true;
  if (signal_number == SIGSTOP || signal_number == SIGCONT) suspended_ = signal_number == SIGSTOP;
  if (signal_number == SIGKILL) killed_ = true;
  if (kill(-static_cast<pid_t>(group_), signal_number) == 0) return true;
  // A group whose members are all gone has nothing left to signal.
  return errno == ESRCH;
}

bool ChildProcess::Suspend() { return SignalGroup(SIGSTOP); }
bool ChildProcess::Resume() { return SignalGroup(SIGCONT); }
bool ChildProcess::Kill() { return SignalGroup(SIGKILL); }

namespace {

// The fields of /proc/PID/stat this file reads.
struct ProcStat {
  char state = 0;
  int ppid = 0;
  int group = 0;
  unsigned long long user_ticks = 0;
  unsigned long long system_ticks = 0;
};

// Reads /proc/`pid`/stat (`pid` as its folder's name). False when the
// process is gone or the line cannot be read.
bool ReadProcStat(const char* pid, ProcStat* stat) {
  std::string path = std::string("/proc/") + pid + "/stat";
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1024];
  ssize_t got = read(fd, buffer, sizeof buffer - 1);
  close(fd);
  if (got <= 0) return false;
  buffer[got] = '\0';
  // "pid (name) state ppid pgrp session tty tpgid flags minflt cminflt
  // majflt cmajflt utime stime ...": the name may hold spaces and ')'.
  const char* close_paren = std::strrchr(buffer, ')');
  return close_paren && std::sscanf(close_paren + 1, " %c %d %d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                                    &stat->state, &stat->ppid, &stat->group, &stat->user_ticks,
                                    &stat->system_ticks) == 5;
}

bool ReadProcStat(int pid, ProcStat* stat) { return pid > 0 && ReadProcStat(std::to_string(pid).c_str(), stat); }

// Calls `visit(name, stat)` for every process in /proc until it returns
// true; false when /proc cannot be listed.
template <typename Visit>
bool ForEachProcess(Visit visit) {
  DIR* proc = opendir("/proc");
  if (!proc) return false;
  while (struct dirent* e = readdir(proc)) {
    if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
    ProcStat stat;
    if (ReadProcStat(e->d_name, &stat) && visit(e->d_name, stat)) break;
  }
  closedir(proc);
  return true;
}

bool Living(const ProcStat& stat) { return stat.state != 'Z' && stat.state != 'X'; }

}  // namespace

bool ProcessGroupAlive(int pgid) {
  if (pgid <= 0) return false;
  if (kill(-pgid, 0) != 0 && errno != EPERM) return false;
  bool alive = false;
  const bool listed = ForEachProcess([&](const char*, const ProcStat& stat) {
    alive = stat.group == pgid && Living(stat);
    return alive;
  });
  return !listed || alive;
}

bool ProcessStopped(int pid) {
  ProcStat stat;
  return ReadProcStat(pid, &stat) && stat.state == 'T';
}

std::vector<int> ChildProcessIds(int pid) {
  std::vector<int> children;
  ForEachProcess([&](const char* name, const ProcStat& stat) {
    if (stat.ppid == pid && stat.state != 'Z') children.push_back(std::atoi(name));
    return false;
  });
  return children;
}

double ProcessCpuSecondsOf(int pid) {
  ProcStat stat;
  if (!ReadProcStat(pid, &stat)) return -1;
  long hz = sysconf(_SC_CLK_TCK);
  return static_cast<double>(stat.user_ticks + stat.system_ticks) / static_cast<double>(hz > 0 ? hz : 100);
}

CpuTimes ProcessCpuTimes() {
  auto seconds = [](const struct rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  CpuTimes times;
  struct rusage usage;
  if (getrusage(RUSAGE_SELF, &usage) == 0) times.self_seconds = seconds(usage);
  if (getrusage(RUSAGE_CHILDREN, &usage) == 0) times.children_seconds = seconds(usage);
  return times;
}

}  // namespace cw
