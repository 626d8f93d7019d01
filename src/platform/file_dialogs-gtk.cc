// The open-file chooser (multiple selection) and the folder chooser.
#include "platform/gtk_services.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {
namespace {

std::wstring TakeFileName(gchar* name) {
  std::wstring path = name ? SystemToWide(name) : std::wstring();
  g_free(name);
  return path;
}

}  // namespace

std::optional<std::vector<std::wstring>> RunFileChooser(GtkWindow* owner, const std::wstring& filter_name,
                                                        const std::wstring& filter_pattern) {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(TrUtf8(L"Open").c_str(), owner, GTK_FILE_CHOOSER_ACTION_OPEN,
                                                  TrUtf8(L"_Cancel").c_str(), GTK_RESPONSE_CANCEL,
                                                  TrUtf8(L"_Open").c_str(), GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_select_multiple(chooser, TRUE);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, WideToDisplayUtf8(filter_name).c_str());
  gtk_file_filter_add_pattern(filter, WideToSystem(filter_pattern).c_str());
  gtk_file_chooser_add_filter(chooser, filter);  // the chooser owns it now

  std::optional<std::vector<std::wstring>> chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    chosen.emplace();
    GSList* names = gtk_file_chooser_get_filenames(chooser);
    for (GSList* n = names; n; n = n->next) {
      std::wstring path = TakeFileName(static_cast<gchar*>(n->data));
      if (!path.empty()) chosen->push_back(path);
    }
    g_slist_free(names);
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

std::optional<std::wstring> RunFolderChooser(GtkWindow* owner, const std::wstring& title,
                                             const std::wstring& start_folder) {
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(WideToDisplayUtf8(title).c_str(), owner, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
                                  TrUtf8(L"_Cancel").c_str(), GTK_RESPONSE_CANCEL, TrUtf8(L"_Select").c_str(),
                                  GTK_RESPONSE_ACCEPT, nullptr);
  gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
  gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(dialog), TRUE);
  // A real folder first, not the list of recent files (where nothing can be chosen).
  std::string start = WideToSystem(start_folder);
  if (start.empty() || !g_file_test(start.c_str(), G_FILE_TEST_IS_DIR)) start = g_get_home_dir();
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), start.c_str());
  std::optional<std::wstring> folder;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    folder = TakeFileName(gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog)));  // "" without a local path
  }
  gtk_widget_destroy(dialog);
  return folder;
}

}  // namespace cw
