// Whether a session bus is there to be reached (see session_bus.h).
#include <glib.h>

#include "platform/session_bus.h"

namespace cw {

bool SessionBusPresent() {
  if (g_getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr) return true;
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr) return false;
  gchar* socket = g_build_filename(runtime, "bus", nullptr);
  bool present = g_file_test(socket, G_FILE_TEST_EXISTS);
  g_free(socket);
  return present;
}

}  // namespace cw
