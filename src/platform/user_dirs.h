// The user's standard folders, as the desktop reports them. Used for the
// default output folder and for the settings file when the program folder is
// not writable.
#pragma once

#include <string>

namespace cw {

// The user's home folder: $HOME, else the password database's entry, else "/".
// No trailing '/'. Any thread.
std::wstring UserHomeFolder();

// The user's videos folder, no trailing '/': what `xdg-user-dir VIDEOS`
// reports (it honours ~/.config/user-dirs.dirs and XDG_VIDEOS_DIR). When the
// tool is missing, fails, prints nothing, or answers with the bare home folder
// (its way of saying "not configured"), $XDG_VIDEOS_DIR if set, else
// home + "/Videos". Runs a short-lived program; call from the UI thread.
std::wstring UserVideosFolder();

// The base of per-user configuration, no trailing '/': $XDG_CONFIG_HOME when
// it is an absolute path, else home + "/.config". Any thread.
std::wstring UserConfigFolder();

// The base of per-user state that outlives a run (the queue's journal), no
// trailing '/': $XDG_STATE_HOME when it is an absolute path, else
// home + "/.local/state". Any thread.
std::wstring UserStateFolder();

}  // namespace cw
