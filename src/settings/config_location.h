// Where the settings file lives and what the default output folder is.
#pragma once

#include <functional>
#include <string>

namespace cw {

// The folder that holds config.ini, ending in '/': the program folder when it
// is writable, else user_config_folder + "/clipwright/". The same place is
// used for reading and writing. `is_writable` tells whether a folder can take
// new files.
std::wstring ChooseConfigFolder(const std::wstring& program_folder, const std::wstring& user_config_folder,
                                const std::function<bool(const std::wstring&)>& is_writable);

// Full path of config.ini for this process (ChooseConfigFolder with the real
// program folder, the user's configuration folder and the file system).
// UI thread.
std::wstring ConfigFilePath();

// The folder that holds the queue's journal, ending in '/': beside
// config.ini when that lives in the program folder (a portable program keeps
// everything together), else user_state_folder + "/clipwright/".
std::wstring ChooseJournalFolder(const std::wstring& config_folder, const std::wstring& program_folder,
                                 const std::wstring& user_state_folder);

// Full path of the queue's journal (queue.json) for this process. UI thread.
std::wstring QueueJournalPath();

// The default output folder: the user's videos folder + "/Clipwright". Runs a
// short-lived program to ask the desktop; UI thread.
std::wstring DefaultOutputDir();

}  // namespace cw
