// The host hooks, kept behind one mutex so that workers may call them while
// the host replaces them.
#include "tasks/host_hooks.h"

#include <mutex>

namespace cw {
namespace {

std::mutex hooks_mutex;

HostHook& RunEndedHook() {
  static HostHook hook;
  return hook;
}

HostHook& ShutdownHook() {
  static HostHook hook;
  return hook;
}

HostHook Swap(HostHook& slot, HostHook hook) {
  std::lock_guard<std::mutex> hold(hooks_mutex);
  HostHook previous = std::move(slot);
  slot = std::move(hook);
  return previous;
}

void Call(HostHook& slot) {
  HostHook copy;
  {
    std::lock_guard<std::mutex> hold(hooks_mutex);
    copy = slot;
  }
  if (copy) copy();
}

}  // namespace

HostHook SetRunEndedHook(HostHook hook) { return Swap(RunEndedHook(), std::move(hook)); }
HostHook SetShutdownCountdownHook(HostHook hook) { return Swap(ShutdownHook(), std::move(hook)); }
void NotifyRunEnded() { Call(RunEndedHook()); }
void OpenShutdownCountdown() { Call(ShutdownHook()); }

}  // namespace cw
