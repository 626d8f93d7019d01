// A stand-in for the desktop's settings portal in the end-to-end tests: owns
// org.freedesktop.portal.Desktop on the (private) session bus and answers
// the org.freedesktop.portal.Settings calls for org.freedesktop.appearance
// color-scheme. Prints "ready" once it owns the name; each line read from
// standard input ("0", "1" or "2") changes the value and signals the change.
// Ends when standard input closes. Usage: e2e_fake_portal INITIAL_VALUE
#include <gio/gio.h>
#include <glib-unix.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kPath[] = "/org/freedesktop/portal/desktop";
constexpr char kInterface[] = "org.freedesktop.portal.Settings";
constexpr char kIntrospection[] =
    "<node><interface name='org.freedesktop.portal.Settings'>"
    "<method name='ReadAll'><arg type='as' direction='in'/><arg type='a{sa{sv}}' direction='out'/></method>"
    "<method name='Read'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='v' direction='out'/></method>"
    "<method name='ReadOne'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='v' direction='out'/></method>"
    "<signal name='SettingChanged'><arg type='s'/><arg type='s'/><arg type='v'/></signal>"
    "<property name='version' type='u' access='read'/>"
    "</interface></node>";

guint32 color_scheme = 0;
GDBusConnection* bus = nullptr;
GMainLoop* loop = nullptr;

bool IsColorScheme(const gchar* name_space, const gchar* key) {
  return g_strcmp0(name_space, "org.freedesktop.appearance") == 0 && g_strcmp0(key, "color-scheme") == 0;
}

void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method, GVariant* parameters,
            GDBusMethodInvocation* invocation, gpointer) {
  if (g_strcmp0(method, "ReadAll") == 0) {
    GVariantBuilder settings;
    g_variant_builder_init(&settings, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&settings, "{sv}", "color-scheme", g_variant_new_uint32(color_scheme));
    GVariantBuilder all;
    g_variant_builder_init(&all, G_VARIANT_TYPE("a{sa{sv}}"));
    g_variant_builder_add(&all, "{sa{sv}}", "org.freedesktop.appearance", &settings);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(a{sa{sv}})", &all));
    return;
  }
  const gchar* name_space = nullptr;
  const gchar* key = nullptr;
  g_variant_get(parameters, "(&s&s)", &name_space, &key);
  if (!IsColorScheme(name_space, key)) {
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.portal.Error.NotFound",
                                               "Requested setting not found");
    return;
  }
  GVariant* value = g_variant_new_uint32(color_scheme);
  // Read (version 1) answers the value wrapped in one more variant.
  if (g_strcmp0(method, "Read") == 0) value = g_variant_new_variant(value);
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
}

GVariant* OnGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GError**,
                        gpointer) {
  return g_variant_new_uint32(2);
}

gboolean OnInput(gint fd, GIOCondition, gpointer) {
  char line[64];
  ssize_t n = read(fd, line, sizeof line - 1);
  if (n <= 0) {
    g_main_loop_quit(loop);
    return G_SOURCE_REMOVE;
  }
  line[n] = '\0';
  color_scheme = static_cast<guint32>(std::strtoul(line, nullptr, 10));
  g_dbus_connection_emit_signal(bus, nullptr, kPath, kInterface, "SettingChanged",
                                g_variant_new("(ssv)", "org.freedesktop.appearance", "color-scheme",
                                              g_variant_new_uint32(color_scheme)),
                                nullptr);
  g_dbus_connection_flush_sync(bus, nullptr, nullptr);
  std::printf("changed %u\n", color_scheme);
  std::fflush(stdout);
  return G_SOURCE_CONTINUE;
}

void OnNameAcquired(GDBusConnection*, const gchar*, gpointer) {
  std::printf("ready\n");
  std::fflush(stdout);
}

void OnNameLost(GDBusConnection*, const gchar*, gpointer) {
  std::fprintf(stderr, "e2e_fake_portal: cannot own the portal's name\n");
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: e2e_fake_portal INITIAL_VALUE\n");
    return 2;
  }
  color_scheme = static_cast<guint32>(std::strtoul(argv[1], nullptr, 10));
  GError* error = nullptr;
  bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) {
    std::fprintf(stderr, "e2e_fake_portal: %s\n", error->message);
    return 1;
  }
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  GDBusInterfaceVTable vtable = {OnCall, OnGetProperty, nullptr, {}};
  g_dbus_connection_register_object(bus, kPath, node->interfaces[0], &vtable, nullptr, nullptr, nullptr);
  g_bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop", G_BUS_NAME_OWNER_FLAGS_NONE, OnNameAcquired,
                               OnNameLost, nullptr, nullptr);
  loop = g_main_loop_new(nullptr, FALSE);
  g_unix_fd_add(0, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), OnInput, nullptr);
  g_main_loop_run(loop);
  g_dbus_node_info_unref(node);
  return 0;
}
