// What the engine asks of its host (the window, or a window-less driver):
// to wake its loop at once when an encoder run has ended, and to open the
// shutdown countdown. Both do nothing until the host installs them.
#pragma once

#include <functional>

namespace cw {

using HostHook = std::function<void()>;

// Installs the hook called when an encoder run has ended (its record is final:
// `finished` is set). It is called on the worker thread, must not block, and
// must not take the task list's lock: it only asks the host's loop to render
// and schedule soon. Returns the previous hook. Any thread.
HostHook SetRunEndedHook(HostHook hook);

// Installs the hook that opens the shutdown countdown (a modeless window that
// the list keeps no hold on). Called on the UI thread, never while the task
// list's lock is held. Returns the previous hook. Any thread.
HostHook SetShutdownCountdownHook(HostHook hook);

// Call the installed hooks (nothing happens when none is installed).
void NotifyRunEnded();          // worker threads
void OpenShutdownCountdown();   // UI thread

}  // namespace cw
