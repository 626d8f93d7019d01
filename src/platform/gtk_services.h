// The GTK pieces of the desktop program's services, shared between the
// *-gtk.cc files only (this header needs GTK; nothing else includes it).
// UI thread only.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/window.h"

#include "platform/menu.h"

namespace cw {

// The toolkit window of a window made by CreateMainWindow (main_window-gtk.cc).
GtkWindow* MainGtkWindow(Window& window);

// file_dialogs-gtk.cc
std::optional<std::vector<std::wstring>> RunFileChooser(GtkWindow* owner, const std::wstring& filter_name,
                                                        const std::wstring& filter_pattern);
std::optional<std::wstring> RunFolderChooser(GtkWindow* owner, const std::wstring& title,
                                             const std::wstring& start_folder);

// reveal-gtk.cc: the file manager, through org.freedesktop.FileManager1 when
// the session bus offers it, else the folder opened with xdg-open (or GIO's
// default handler when xdg-open cannot be started).
void ShowFolderInFileManager(const std::wstring& folder);
void ShowFileInFileManager(const std::wstring& file);
// The file URI of an absolute path, each byte outside the URI's plain
// characters percent-encoded (a name's escaped bytes as the bytes they carry);
// "" for a relative path. Any thread.
std::string FileUriOfPath(const std::wstring& path);

// about_box-gtk.cc
void RunAboutBox(GtkWindow* owner, const AboutBoxTexts& texts);

// countdown_window-gtk.cc
std::unique_ptr<CountdownWindow> CreateCountdownWindowGtk(const CountdownWindowTexts& texts,
                                                         CountdownWindowEvents events);

// menu_bar-gtk.cc: the menu bar of `table` (platform/menu.h). `on_command` gets
// the chosen item's id; `is_checked` decides each check item's mark every
// time its popup opens. Both are called on the UI thread.
GtkWidget* BuildMenuBarGtk(const std::vector<MenuPopupEntry>& table, std::function<void(int)> on_command,
                           std::function<bool(int)> is_checked);

// drop_target-gtk.cc: files (text/uri-list) dropped anywhere on `target`
// arrive as local paths in `on_drop`; `view` (a child of `target` with its
// own drop handling) stops taking drops, so they reach `target` instead.
void InstallFileDropTarget(GtkWidget* target, GtkWidget* view,
                           std::function<void(const std::vector<std::wstring>&)> on_drop);

// Local paths of the file URIs in a text/uri-list; other URIs are left out.
// Bytes of a name that are not UTF-8 arrive as escaped bytes.
std::vector<std::wstring> LocalPathsOfUris(const char* const* uris);

}  // namespace cw
