// Windows implementation of the stop requests: the console's control events.
// Ctrl+C and Ctrl+Break stand for SIGINT, closing the console window for
// SIGHUP (the terminal went away), log-off and shutdown for SIGTERM; each is
// reported under that signal's number so that the program's exit status is
// the same as on Linux (130 after Ctrl+C). The system calls the handler on
// a thread of its own, which is the thread the contract asks for.
#include <windows.h>

#include <mutex>

#include "platform/stop_signals.h"

namespace cw {
namespace {

constexpr int kInterrupt = 2;   // SIGINT
constexpr int kHangUp = 1;      // SIGHUP
constexpr int kTerminate = 15;  // SIGTERM

std::mutex g_mutex;
StopRequestHandler* g_on_stop = nullptr;  // set once, never freed
bool g_reported = false;

BOOL WINAPI OnControlEvent(DWORD event) {
  int number = 0;
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: number = kInterrupt; break;
    case CTRL_CLOSE_EVENT: number = kHangUp; break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: number = kTerminate; break;
    default: return FALSE;
  }
  StopRequestHandler* report = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_reported) report = g_on_stop;
    g_reported = true;
  }
  if (report) (*report)(number);
  if (number != kInterrupt) {
    // The system ends the process as soon as this handler returns from
    // these events (and at the latest after a few seconds): give the
    // orderly stop that time. The process ends earlier when main returns.
    Sleep(4500);
  }
  return TRUE;
}

}  // namespace

bool WatchStopSignals(StopRequestHandler on_stop) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_on_stop) return false;
    g_on_stop = new StopRequestHandler(std::move(on_stop));
  }
  // Encoders start without a console (process-win32.cc), so these events
  // never reach them.
  return SetConsoleCtrlHandler(OnControlEvent, TRUE) != 0;
}

int ExitStatusForSignal(int signal_number) { return 128 + signal_number; }

std::wstring StopSignalName(int signal_number) {
  switch (signal_number) {
    case kInterrupt: return L"Ctrl+C";
    case kTerminate: return L"log-off or shutdown";
    case kHangUp: return L"the console closing";
    default: return L"signal " + std::to_wstring(signal_number);
  }
}

}  // namespace cw
