// The operating system's shutdown, for the countdown window's command.
//
// Defined only in the desktop program's window-system library
// (system_shutdown-gtk.cc, in cw_platform_gtk), never in cw_platform: a test
// program that called it would not link. The desktop program's main is its
// only caller, and it hands it to the countdown as an injected command.
#pragma once

namespace cw {

// Starts "systemctl poweroff" (or "shutdown -h now" when systemctl cannot be
// started), found on PATH, with no window and without waiting for it. Its
// result is ignored. UI thread.
void RunSystemShutdown();

}  // namespace cw
