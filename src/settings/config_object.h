// The user settings, stored in config.ini as one line of JSON and exchanged
// with the page as the same JSON text. Each program makes one (the engine's)
// and hands it down; nothing reaches it through a process-wide accessor.
//
// Threads: the object is created, loaded, saved and written on the UI thread,
// and its fields are read there directly. The only reader elsewhere is the
// encoder worker, which must use CurrentProfile() (or a copy taken on the UI
// thread) instead of reading targetDevice / outputQuality directly.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message.h"

namespace cw {

struct DeviceCatalog;  // catalog/device_catalog.h

// The device and quality ids, copied together.
struct ProfileIds {
  std::wstring targetDevice;
  std::wstring outputQuality;
};

class ConfigObject {
 public:
  // An object over the given file (full path) with the given default output
  // folder; fields empty until Load(). Device names come from `catalog`,
  // which must outlive the object; what the user must be told (a refused
  // value, a file that did not load or save, an unknown device) goes to
  // `messages`, called on the UI thread.
  ConfigObject(std::wstring file_path, std::wstring default_output_dir, const DeviceCatalog& catalog,
               MessageSink messages);
  // The same with a catalog that knows no device and no messages shown (for
  // tools and tests that never show or save the settings).
  ConfigObject(std::wstring file_path, std::wstring default_output_dir);
  ConfigObject(const ConfigObject&) = delete;
  ConfigObject& operator=(const ConfigObject&) = delete;

  std::wstring targetDevice;   // default "4"
  std::wstring outputQuality;  // default "Normal"
  std::wstring outputDir;      // default: the user's videos folder + "/Clipwright"
  int32_t conTasks = 1;        // tasks that may run at once
  int32_t needShutdown = 0;    // 1: shut down when the list has become empty

  // Sets all five fields to their defaults.
  void ApplyDefaults();

  // Fills the object from the settings file. No file, or one of two characters
  // or fewer: the defaults. Otherwise the file's values are assigned; on the
  // first load the fields the file does not name take their defaults, later
  // loads keep their current values. Values are checked as FromJson checks
  // them. A file that cannot be read or parsed, or that holds a refused
  // value, is left untouched by the load, and one message says what happened
  // ("Exception catch!" first for a file that does not load) and where the
  // file will be kept: the next Save() first renames it to
  // FILE.broken-YYYYMMDD-HHMMSS (never deleted), so no save overwrites what
  // the user wrote. Programs that never save never change it.
  void Load();

  // Writes the settings file: FileBytes(), creating its folder if needed,
  // into a new file that then replaces the old one in one step (a failed
  // write leaves the old file whole). A file that did not load is set aside
  // first; when that fails nothing is written. Shows "Failed to save
  // settings!" (with the reason on a second line) when the file cannot be
  // written.
  void Save();

  // The content Save() writes: the settings JSON on one line, in the form
  // that Load() reads back to the same values (see config_text.h). Runs the
  // device lookup of ToJson().
  std::string FileBytes();

  // Load() after the file was read: `bytes` is its content with the line ends
  // removed.
  void LoadFileText(const std::string& bytes);

  // The settings JSON for the page, one line, values unescaped:
  // {"targetDevice": "4","targetDeviceDesc": "...","outputQuality": "Normal",
  //  "outputDir": "...","conTasks": 1,"needShutdown": 0}
  // An unknown device shows "can't find device!" and gives "targetDeviceDesc" "".
  std::wstring ToJson();

  // Assigns the five fields named in a JSON text (later duplicates win; other
  // members are ignored). A text that is not one JSON object or array shows
  // "Exception catch!"; fields not yet assigned keep their values.
  // Refused values keep the old value, and one message tells why: conTasks
  // must be a whole number from kMinConTasks to kMaxConTasks, needShutdown 0
  // or 1, a new outputDir must pass OutputFolderProblem (setting_checks.h).
  void FromJson(const std::wstring& text);

  // A copy of targetDevice and outputQuality, consistent with concurrent
  // FromJson/Load on the UI thread. Any thread.
  ProfileIds CurrentProfile() const;

  const std::wstring& file_path() const { return file_path_; }
  const std::wstring& default_output_dir() const { return default_output_dir_; }

 private:
  void AssignDefaults();
  // FromJson without messages: false when the text does not parse; each
  // refused value adds its message to *refused.
  bool ApplyJson(const std::wstring& text, std::vector<std::wstring>* refused);
  // LoadFileText without messages, like ApplyJson.
  bool ApplyFileText(const std::string& bytes, std::vector<std::wstring>* refused);
  // Renames the settings file to pending_aside_ (or that name with "-2",
  // "-3"... when taken). True when nothing is left in the way.
  bool SetFileAside();
  std::wstring RenderJson(const std::wstring& device_desc, bool escaped, bool for_page = false) const;
  // The catalog name of device `id` (ASCII case ignored); "" after telling
  // "can't find device!" when the catalog has none.
  std::wstring SettingsDeviceName(const std::wstring& id) const;

  std::wstring file_path_;
  std::wstring default_output_dir_;
  const DeviceCatalog& catalog_;
  MessageSink messages_;
  bool loaded_once_ = false;
  // Where the settings file that did not load cleanly goes before the next
  // save; empty when nothing is to be kept.
  std::wstring pending_aside_;
  // Guards writes of targetDevice / outputQuality against CurrentProfile().
  mutable std::mutex profile_mutex_;
};

}  // namespace cw
