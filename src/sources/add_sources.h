// The ways files reach the queue: the multi-select file chooser, a folder's
// files, and files dropped on the window. Each makes one waiting task per
// path, appends them in order, lets the scheduler start what it may and hands
// the page the whole list (FinishAdding). UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/window.h"
#include "settings/config_object.h"
#include "tasks/file_object.h"
#include "tasks/task_factory.h"
#include "tasks/task_manager.h"
#include "platform/translate.h"

namespace cw {

inline constexpr const wchar_t* kAllFilesFilterName = N_(L"ALL Files (*.*)");
inline constexpr const wchar_t* kAllFilesPattern = L"*";
// "Choose a path": the fixed title, kept on purpose
// (README glossary) where no catalogue gives another.
inline constexpr const wchar_t* kChooseFolderTitle = N_(L"选择路径");


// One task per file directly inside `folder` (no subfolders, nothing hidden,
// no folders), in the order the folder lists them. An unreadable folder gives
// no task. `folder` may end with '/' or not.
std::vector<std::shared_ptr<FileObject>> ScanFolder(const std::wstring& folder, const ConfigObject& settings);

class SourceAdder {
 public:
  // None is owned; all must outlive the object.
  SourceAdder(Window& window, Shell& shell, TaskManager& tasks, ConfigObject& settings);

  // File chooser; a cancelled chooser adds nothing and does not call the page.
  void AddFilesFromDialog();
  // Folder chooser, then the folder's files; the page is called even when
  // the folder gave no file. A cancelled chooser does nothing.
  void AddFilesFromFolder();
  // Files dropped on the window, each path a task (a folder too: the encoder
  // fails on it and the task ends as failed).
  void AddDroppedFiles(const std::vector<std::wstring>& paths);
  // Schedule, render the list, parmContainer <- list, page function addFile.
  void FinishAdding();

 private:
  void AddPaths(const std::vector<std::wstring>& paths);

  Window& window_;
  Shell& shell_;
  TaskManager& tasks_;
  ConfigObject& settings_;
};

}  // namespace cw
