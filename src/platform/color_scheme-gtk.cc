// Follows the desktop's light or dark preference (see color_scheme.h). GTK 3
// itself reads neither GTK_THEME's variant into its prefer-dark setting nor
// the desktop's colour-scheme setting, and WebKitGTK derives the page's
// prefers-color-scheme from that setting (and the theme's name), so the
// host sets gtk-application-prefer-dark-theme from the settings portal's
// org.freedesktop.appearance color-scheme, and again whenever it changes.
#include <gio/gio.h>
#include <gtk/gtk.h>

#include "platform/color_scheme.h"
#include "platform/session_bus.h"

namespace cw {
namespace {

constexpr char kPortalName[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kSettingsInterface[] = "org.freedesktop.portal.Settings";
constexpr char kAppearance[] = "org.freedesktop.appearance";
constexpr char kColorSchemeKey[] = "color-scheme";

void Apply(std::optional<ColorScheme> scheme) {
  if (!scheme) return;  // no preference: the toolkit's own settings stay
  GtkSettings* settings = gtk_settings_get_default();
  if (settings == nullptr) return;
  g_object_set(settings, "gtk-application-prefer-dark-theme", *scheme == ColorScheme::kDark, nullptr);
}

// The portal's value, unwrapped from the variants it may come in (Read
// answers a variant holding a variant), as the colour-scheme number.
void ApplyAppearanceValue(GVariant* value) {
  GVariant* inner = g_variant_ref(value);
  while (g_variant_is_of_type(inner, G_VARIANT_TYPE_VARIANT)) {
    GVariant* next = g_variant_get_variant(inner);
    g_variant_unref(inner);
    inner = next;
  }
  if (g_variant_is_of_type(inner, G_VARIANT_TYPE_UINT32)) Apply(ColorSchemeFromAppearance(g_variant_get_uint32(inner)));
  g_variant_unref(inner);
}

void OnRead(GObject* bus, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
  if (reply == nullptr) {  // no portal, or one without the setting: nothing to follow
    g_clear_error(&error);
    return;
  }
  GVariant* value = g_variant_get_child_value(reply, 0);
  ApplyAppearanceValue(value);
  g_variant_unref(value);
  g_variant_unref(reply);
}

void OnSettingChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                      GVariant* parameters, gpointer) {
  const gchar* name_space = nullptr;
  const gchar* key = nullptr;
  GVariant* value = nullptr;
  g_variant_get(parameters, "(&s&sv)", &name_space, &key, &value);
  if (g_strcmp0(name_space, kAppearance) == 0 && g_strcmp0(key, kColorSchemeKey) == 0) ApplyAppearanceValue(value);
  g_variant_unref(value);
}

void FollowPortal() {
  if (!SessionBusPresent()) return;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return;
  // Kept for the life of the process, like the subscription.
  g_dbus_connection_signal_subscribe(bus, kPortalName, kSettingsInterface, "SettingChanged", kPortalPath,
                                     kAppearance, G_DBUS_SIGNAL_FLAGS_NONE, OnSettingChanged, nullptr, nullptr);
  g_dbus_connection_call(bus, kPortalName, kPortalPath, kSettingsInterface, "Read",
                         g_variant_new("(ss)", kAppearance, kColorSchemeKey), G_VARIANT_TYPE("(v)"),
                         G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, OnRead, nullptr);
}

}  // namespace

void FollowDesktopColorScheme() {
  const char* theme = g_getenv("GTK_THEME");
  if (std::optional<ColorScheme> forced = ColorSchemeForcedByTheme(theme ? theme : "")) {
    Apply(forced);  // a theme named by the user wins over the desktop's setting
    return;
  }
  FollowPortal();
}

}  // namespace cw
