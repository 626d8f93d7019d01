// Desktop notifications through GIO: a GApplication registered on the session
// bus sends a GNotification, which GIO hands to the desktop's notification
// service (the freedesktop one, or the portal inside a sandbox).
#include <gio/gio.h>

#include "platform/app_id.h"
#include "platform/desktop_notification.h"
#include "platform/session_bus.h"
#include "platform/text.h"

namespace cw {

namespace {

constexpr char kNotificationId[] = "queue-finished";

// The registered application, or null when there is no session bus or
// registration failed; tried once, kept for the life of the process.
GApplication* NotifyingApplication() {
  static GApplication* application = []() -> GApplication* {
    if (!SessionBusPresent()) return nullptr;
    GApplication* app = g_application_new(kDesktopAppId, G_APPLICATION_NON_UNIQUE);
    GError* error = nullptr;
    if (!g_application_register(app, nullptr, &error)) {
      g_clear_error(&error);
      g_object_unref(app);
      return nullptr;
    }
    return app;
  }();
  return application;
}

}  // namespace

void ShowDesktopNotification(const std::wstring& title, const std::wstring& body) {
  GApplication* app = NotifyingApplication();
  if (app == nullptr) return;
  GNotification* notification = g_notification_new(WideToDisplayUtf8(title).c_str());
  g_notification_set_body(notification, WideToDisplayUtf8(body).c_str());
  GIcon* icon = g_themed_icon_new("clipwright");
  g_notification_set_icon(notification, icon);
  g_application_send_notification(app, kNotificationId, notification);
  g_object_unref(icon);
  g_object_unref(notification);
}

}  // namespace cw
