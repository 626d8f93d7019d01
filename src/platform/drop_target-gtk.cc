// Files dropped on the window from the desktop's file manager: a drag
// destination for text/uri-list on the page view's parent. The view itself
// stops being a drop target, so the page never handles these drops.
#include "platform/gtk_services.h"
#include "platform/text.h"

namespace cw {
namespace {

using DropHandler = std::function<void(const std::vector<std::wstring>&)>;

void OnDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint, guint,
                    gpointer handler) {
  gchar** uris = gtk_selection_data_get_uris(data);
  std::vector<std::wstring> paths = LocalPathsOfUris(uris);
  g_strfreev(uris);
  // The drop completes (GTK_DEST_DEFAULT_DROP) before the files are added.
  if (!paths.empty()) (*static_cast<DropHandler*>(handler))(paths);
}

void FreeHandler(gpointer handler, GClosure*) { delete static_cast<DropHandler*>(handler); }

}  // namespace

std::vector<std::wstring> LocalPathsOfUris(const char* const* uris) {
  std::vector<std::wstring> paths;
  for (const char* const* u = uris; u && *u; ++u) {
    gchar* file = g_filename_from_uri(*u, nullptr, nullptr);  // null for non-local URIs
    if (!file) continue;
    paths.push_back(SystemToWide(file));
    g_free(file);
  }
  return paths;
}

void InstallFileDropTarget(GtkWidget* target, GtkWidget* view, DropHandler on_drop) {
  gtk_drag_dest_unset(view);
  static const GtkTargetEntry kUriList[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_drag_dest_set(target, GTK_DEST_DEFAULT_ALL, kUriList, 1, GDK_ACTION_COPY);
  g_signal_connect_data(target, "drag-data-received", G_CALLBACK(OnDataReceived), new DropHandler(std::move(on_drop)),
                        FreeHandler, static_cast<GConnectFlags>(0));
}

}  // namespace cw
