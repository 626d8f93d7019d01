// Whether the desktop's session bus is there to be reached.
#pragma once

namespace cw {

// True when DBUS_SESSION_BUS_ADDRESS is set or $XDG_RUNTIME_DIR/bus exists.
// Without one, GIO would launch a bus daemon of its own that would outlive
// the program, so callers ask first. Any thread.
bool SessionBusPresent();

}  // namespace cw
