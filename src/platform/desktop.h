// The desktop program's window-system services: start-up of the toolkit, the
// main window with its page view, message boxes for ShowMessage, and a way
// for any thread to have work run on the UI thread.
// Implemented with GTK 3 and WebKitGTK (desktop-gtk.cc, main_window-gtk.cc).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <vector>

#include "platform/menu.h"
#include "platform/page_protocol.h"
#include "platform/window.h"

namespace cw {

// Starts the toolkit. Returns false when there is no display. Main thread,
// once, before anything else here.
bool InitDesktop(int* argc, char*** argv);

// True when the program was launched by a WebDriver (WebKitWebDriver sets
// WEBKIT_INSPECTOR_SERVER in the environment of the program it launches).
// Only then may the page view be remote-controlled; the view has to know
// before it is created.
bool AutomationRequested();

struct MainWindowOptions {
  std::wstring initial_title = L"Clipwright";
  int client_width = 675;   // 450 dialog units
  int client_height = 452;  // 278 dialog units
  bool allow_automation = false;
  std::wstring product_version;  // told to an automation session
  std::vector<MenuPopupEntry> menu;  // the menu bar; none when empty
  // The page protocol; not owned, must outlive the window. Without one the
  // page gets no bridge.
  const PageProtocol* page_protocol = nullptr;
};

// The main window: a fixed-size window with a menu bar and the page view.
// UI thread only.
std::unique_ptr<Window> CreateMainWindow(const MainWindowOptions& options);

// Routes cw::ShowMessage to modal OK boxes owned by `owner` (may be null).
// Messages from any thread, and those raised on the UI thread inside engine
// operations, are queued and shown from the UI loop once the caller has
// returned, so no box ever opens while the task list is locked. UI thread.
void InstallDesktopMessageSink(Window* owner);

// Runs `work` on the UI thread as soon as its loop is free. Any thread.
void PostToUiThread(std::function<void()> work);

}  // namespace cw
