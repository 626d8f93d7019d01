// POSIX implementation of the stop requests: the handler only writes the
// signal's number into a pipe (all it may safely do); a watcher thread reads
// it and calls the program's handler.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/stop_signals.h"

namespace cw {
namespace {

int g_signal_pipe_write = -1;

void OnSignal(int signal_number) {
  int saved = errno;
  unsigned char byte = static_cast<unsigned char>(signal_number);
  ssize_t ignored = write(g_signal_pipe_write, &byte, 1);
  (void)ignored;
  errno = saved;
}

void IgnoreSignal(int) {}

void WatchPipe(int read_fd, StopRequestHandler on_stop) {
  bool reported = false;
  for (;;) {
    unsigned char byte = 0;
    ssize_t n = read(read_fd, &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    if (!reported) {
      reported = true;
      on_stop(byte);
    }
  }
}

}  // namespace

bool WatchStopSignals(StopRequestHandler on_stop) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  // A full pipe must never block the handler; the reader needs one byte only.
  fcntl(fds[1], F_SETFL, O_NONBLOCK);
  g_signal_pipe_write = fds[1];

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    if (sigaction(signal_number, &action, nullptr) != 0) return false;
  }
  // A handler rather than SIG_IGN: an ignored disposition would be inherited
  // by the encoders, a handler is reset when they start.
  struct sigaction broken_pipe {};
  broken_pipe.sa_handler = IgnoreSignal;
  sigemptyset(&broken_pipe.sa_mask);
  broken_pipe.sa_flags = SA_RESTART;
  if (sigaction(SIGPIPE, &broken_pipe, nullptr) != 0) return false;
  std::thread(WatchPipe, fds[0], std::move(on_stop)).detach();  // lives as long as the process
  return true;
}

int ExitStatusForSignal(int signal_number) { return 128 + signal_number; }

std::wstring StopSignalName(int signal_number) {
  switch (signal_number) {
    case SIGINT: return L"SIGINT";
    case SIGTERM: return L"SIGTERM";
    case SIGHUP: return L"SIGHUP";
    default: return L"signal " + std::to_wstring(signal_number);
  }
}

}  // namespace cw
