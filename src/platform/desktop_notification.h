// Desktop notifications of the desktop program (the "conversions finished"
// message shown by the desktop's notification service).
// Implemented with GIO's GNotification (desktop_notification-gtk.cc).
#pragma once

#include <string>

namespace cw {

// Sends a notification with `title` and `body`, replacing the previous one
// of this program. Does nothing when the session offers no notification
// service (no session bus; none is ever started for it). UI thread of the
// desktop program.
void ShowDesktopNotification(const std::wstring& title, const std::wstring& body);

}  // namespace cw
