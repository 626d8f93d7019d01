// The system's shutdown: "systemctl poweroff", or "shutdown -h now" when
// systemctl cannot be started. Only the desktop program links this file.
#include <glib.h>

#include "platform/system_shutdown.h"

namespace cw {
namespace {

// Starts a program found on PATH, detached, without a terminal or output.
bool StartDetached(const char* const* argv) {
  GSpawnFlags flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL |
                                               G_SPAWN_STDERR_TO_DEV_NULL | G_SPAWN_STDIN_FROM_DEV_NULL);
  GError* error = nullptr;
  bool started = g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr, flags, nullptr, nullptr, nullptr, &error);
  g_clear_error(&error);
  return started;
}

}  // namespace

void RunSystemShutdown() {
  static const char* const kPoweroff[] = {"systemctl", "poweroff", nullptr};
  static const char* const kShutdown[] = {"shutdown", "-h", "now", nullptr};
  if (!StartDetached(kPoweroff)) StartDetached(kShutdown);
}

}  // namespace cw
