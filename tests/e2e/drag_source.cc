// A stand-in for a file manager in the end-to-end tests: a small window at
// the top left of the screen that drags the files named on its command line
// (as text/uri-list) when the mouse drags from it.
// Usage: e2e_drag_source FILE...
#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> uris;

void OnDragDataGet(GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint, guint, gpointer) {
  std::vector<gchar*> list;
  for (std::string& uri : uris) list.push_back(uri.data());
  list.push_back(nullptr);
  gtk_selection_data_set_uris(data, list.data());
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  for (int i = 1; i < argc; ++i) {
    gchar* uri = g_filename_to_uri(argv[i], nullptr, nullptr);
    if (uri) uris.emplace_back(uri);
    g_free(uri);
  }
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "cw-drag-source");
  gtk_window_move(GTK_WINDOW(window), 0, 0);
  GtkWidget* area = gtk_event_box_new();
  gtk_widget_set_size_request(area, 200, 120);
  gtk_container_add(GTK_CONTAINER(area), gtk_label_new("drag me"));
  gtk_container_add(GTK_CONTAINER(window), area);
  static const GtkTargetEntry kUriList[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_drag_source_set(area, GDK_BUTTON1_MASK, kUriList, 1, GDK_ACTION_COPY);
  g_signal_connect(area, "drag-data-get", G_CALLBACK(OnDragDataGet), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
