// Showing folders and files in the desktop's file manager: the
// org.freedesktop.FileManager1 interface on the session bus (ShowFolders,
// ShowItems), else the folder opened with xdg-open or GIO's default handler.
#include <gio/gio.h>

#include <string>

#include "platform/gtk_services.h"
#include "platform/text.h"

namespace cw {
namespace {

// `path` as the file system's bytes.
std::string UriOf(const std::string& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  std::string result = uri ? uri : "";
  g_free(uri);
  return result;
}

// Opens a folder with the desktop's default handler, without waiting.
void OpenFolderWithDefaultHandler(const std::string& folder) {
  const gchar* argv[] = {"xdg-open", folder.c_str(), nullptr};
  GSpawnFlags flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL |
                                               G_SPAWN_STDERR_TO_DEV_NULL | G_SPAWN_STDIN_FROM_DEV_NULL);
  GError* error = nullptr;
  if (g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr, flags, nullptr, nullptr, nullptr, &error)) return;
  g_clear_error(&error);
  std::string uri = UriOf(folder);
  if (!uri.empty()) g_app_info_launch_default_for_uri(uri.c_str(), nullptr, nullptr);
}

// Only a bus that already runs: asking GIO for the session bus without one
// would start a bus daemon of our own that outlives the program.
bool SessionBusRunning() {
  const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  std::string socket = std::string(g_get_user_runtime_dir()) + "/bus";
  return g_file_test(socket.c_str(), G_FILE_TEST_EXISTS);
}

struct PendingShow {
  std::string fallback_folder;
};

void OnShowAnswered(GObject* source, GAsyncResult* result, gpointer data) {
  auto* pending = static_cast<PendingShow*>(data);
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply) {
    g_variant_unref(reply);
  } else {
    g_clear_error(&error);
    OpenFolderWithDefaultHandler(pending->fallback_folder);  // no file manager answered
  }
  delete pending;
}

// Asks the file manager to show `target_path` (method ShowFolders or
// ShowItems); falls back to opening `fallback_folder`.
void AskFileManager(const char* method, const std::string& target_path, const std::string& fallback_folder) {
  GDBusConnection* bus = nullptr;
  if (SessionBusRunning()) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  std::string uri = UriOf(target_path);
  if (!bus || uri.empty()) {
    if (bus) g_object_unref(bus);
    OpenFolderWithDefaultHandler(fallback_folder);
    return;
  }
  GVariantBuilder uris;
  g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
  g_variant_builder_add(&uris, "s", uri.c_str());
  g_dbus_connection_call(bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                         "org.freedesktop.FileManager1", method, g_variant_new("(ass)", &uris, ""), nullptr,
                         G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, OnShowAnswered,
                         new PendingShow{fallback_folder});
  g_object_unref(bus);  // the call keeps its own reference
}

std::string FolderOf(const std::string& file) {
  gchar* dir = g_path_get_dirname(file.c_str());
  std::string folder = dir;
  g_free(dir);
  return folder;
}

}  // namespace

std::string FileUriOfPath(const std::wstring& path) { return UriOf(WideToSystem(path)); }

void ShowFolderInFileManager(const std::wstring& folder) {
  std::string path = folder.empty() ? std::string(g_get_home_dir()) : WideToSystem(folder);
  AskFileManager("ShowFolders", path, path);
}

void ShowFileInFileManager(const std::wstring& file) {
  std::string path = WideToSystem(file);
  AskFileManager("ShowItems", path, FolderOf(path));
}

}  // namespace cw
