// The output-location commands: choosing the output folder, opening it, and
// showing a task's source or output file in its folder. UI thread only.
#pragma once

#include <string>

#include "platform/shell.h"
#include "platform/window.h"
#include "settings/config_object.h"
#include "tasks/task_manager.h"
#include "platform/translate.h"

namespace cw {

inline constexpr const wchar_t* kNotStartedMessage = N_(L"Output file will not be exist till it starts converting.");
inline constexpr const wchar_t* kCantFindFileMessage = N_(L"Can't find file:");

class OutputCommands {
 public:
  // None is owned; all must outlive the object.
  OutputCommands(Window& window, Shell& shell, TaskManager& tasks, ConfigObject& settings);

  // Folder chooser; the choice becomes outputDir (not saved, not created) and
  // the page gets the settings (configParmContainer, then updateConfig). A
  // cancelled chooser, or a choice without a local path, changes nothing.
  void SelectOutputDir();
  // Creates outputDir with its parents when nothing exists there, then opens
  // it in the file manager.
  void OpenOutputDir();
  // The task whose id equals `guid` exactly (case counts): its source file,
  // or its output file, shown in its folder. No such task: nothing happens.
  // An output path of 3 characters or fewer (never started) is refused with
  // a message.
  void LocateInputFile(const std::wstring& guid);
  void LocateOutputFile(const std::wstring& guid);
  // Shows the file in its folder, or "Can't find file:" with the path.
  void RevealFile(const std::wstring& path);

 private:
  Window& window_;
  Shell& shell_;
  TaskManager& tasks_;
  ConfigObject& settings_;
};

}  // namespace cw
