// The requests to stop the whole program from outside: Ctrl-C (SIGINT),
// SIGTERM, and SIGHUP (the terminal or the SSH session went away). Used by the
// command-line program so that such a request ends in an orderly stop instead
// of an abrupt death that would leave partial output files behind.
#pragma once

#include <functional>
#include <string>

namespace cw {

// Called once, with the signal's number, on a thread of its own (never inside
// the signal handler), for the first stop request. Must not block for long.
using StopRequestHandler = std::function<void(int signal_number)>;

// Catches the stop signals from now on and reports the first one to
// `on_stop`; later ones are swallowed (one request is enough). SIGPIPE is
// caught and dropped too: a reader of the output that went away (`| head`)
// makes writes fail instead of ending the run abruptly. Programs that the
// process starts afterwards get the default handling again. Call once,
// from the main thread, before starting other threads. Returns false when the
// handlers could not be installed.
bool WatchStopSignals(StopRequestHandler on_stop);

// The exit status a shell gives a program ended by `signal_number`
// (128 + the number: 130 for SIGINT).
int ExitStatusForSignal(int signal_number);

// "SIGINT", "SIGTERM", "SIGHUP", or "signal N" for another number.
std::wstring StopSignalName(int signal_number);

}  // namespace cw
