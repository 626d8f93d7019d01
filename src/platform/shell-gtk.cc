// The desktop program's shell on GTK: its dialogs are owned by the main window.
#include "platform/gtk_services.h"

namespace cw {
namespace {

class DesktopShellGtk : public Shell {
 public:
  explicit DesktopShellGtk(Window& main_window) : main_window_(main_window) {}

  std::optional<std::vector<std::wstring>> ChooseFiles(const std::wstring& filter_name,
                                                       const std::wstring& filter_pattern) override {
    return RunFileChooser(Owner(), filter_name, filter_pattern);
  }
  std::optional<std::wstring> ChooseFolder(const std::wstring& title, const std::wstring& start_folder) override {
    return RunFolderChooser(Owner(), title, start_folder);
  }
  void OpenFolder(const std::wstring& path) override { ShowFolderInFileManager(path); }
  void ShowItemInFolder(const std::wstring& path) override { ShowFileInFileManager(path); }
  void ShowAboutBox(const AboutBoxTexts& texts) override { RunAboutBox(Owner(), texts); }
  std::unique_ptr<CountdownWindow> OpenCountdownWindow(const CountdownWindowTexts& texts,
                                                       CountdownWindowEvents events) override {
    return CreateCountdownWindowGtk(texts, std::move(events));  // no owner: it stands on its own
  }

 private:
  GtkWindow* Owner() { return MainGtkWindow(main_window_); }
  Window& main_window_;
};

}  // namespace

std::unique_ptr<Shell> CreateDesktopShell(Window& main_window) {
  return std::make_unique<DesktopShellGtk>(main_window);
}

}  // namespace cw
