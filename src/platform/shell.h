// The desktop services that the host's commands use besides the main window:
// file and folder choosers, showing folders and files in the file manager, the
// About box and the shutdown countdown's window. The desktop program
// implements them with GTK (CreateDesktopShell, shell-gtk.cc); tests use a
// fake that records what was asked. UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/countdown_window.h"
#include "platform/window.h"

namespace cw {

// What the About box shows.
struct AboutBoxTexts {
  std::wstring title;                 // window title
  std::wstring product;               // the product name, shown large
  std::wstring version;               // the version line
  std::vector<std::wstring> credits;  // one line each
  std::wstring icon_path;             // the window icon file; "" for none
};

// What the countdown window shows when it opens.
struct CountdownWindowTexts {
  std::wstring caption;
  std::wstring message;
  std::wstring shutdown_now;  // the default button (Enter)
  std::wstring cancel;        // also Escape and the close box
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Modal open-file chooser with multiple selection and one filter. Returns
  // the chosen files' full paths in the chooser's order, or nothing when the
  // user cancelled. Events keep arriving while it is open.
  virtual std::optional<std::vector<std::wstring>> ChooseFiles(const std::wstring& filter_name,
                                                               const std::wstring& filter_pattern) = 0;
  // Modal folder chooser showing `start_folder` first (the user's home folder
  // when it is "" or missing). Returns the chosen folder's path, nothing when
  // the user cancelled; "" when the choice has no local path.
  virtual std::optional<std::wstring> ChooseFolder(const std::wstring& title, const std::wstring& start_folder) = 0;

  // Opens a folder in the file manager (the user's home folder for "").
  // Does not wait; failures are not reported.
  virtual void OpenFolder(const std::wstring& path) = 0;
  // Opens the folder of a file in the file manager with the file selected.
  // Does not wait; failures are not reported.
  virtual void ShowItemInFolder(const std::wstring& path) = 0;

  // The modal About box; returns when the user has closed it.
  virtual void ShowAboutBox(const AboutBoxTexts& texts) = 0;

  // Creates and shows a countdown window: always on top, centred on the
  // screen. Its events arrive until it is closed (CountdownWindow::Close) or
  // destroyed. The caller owns it.
  virtual std::unique_ptr<CountdownWindow> OpenCountdownWindow(const CountdownWindowTexts& texts,
                                                               CountdownWindowEvents events) = 0;
};

}  // namespace cw

namespace cw {

// The desktop program's shell on GTK, its dialogs owned by `main_window`
// (a window made by CreateMainWindow, which must outlive it). Defined only in
// the desktop program's window-system library.
std::unique_ptr<Shell> CreateDesktopShell(Window& main_window);

}  // namespace cw
