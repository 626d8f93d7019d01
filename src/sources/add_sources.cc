// The ways of adding files to the queue.
#include "sources/add_sources.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/translate.h"

namespace cw {

std::vector<std::shared_ptr<FileObject>> ScanFolder(const std::wstring& folder, const ConfigObject& settings) {
  std::vector<std::shared_ptr<FileObject>> found;
  std::vector<FolderEntry> entries;
  if (!ListFolder(folder, &entries)) return found;
  std::wstring prefix = folder;
  if (prefix.empty() || !IsPathSeparator(prefix.back())) prefix += L'/';
  for (const FolderEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L".." || entry.is_directory || entry.is_hidden) continue;
    found.push_back(MakeSourceTask(prefix + entry.name, settings));
  }
  return found;
}

SourceAdder::SourceAdder(Window& window, Shell& shell, TaskManager& tasks, ConfigObject& settings)
    : window_(window), shell_(shell), tasks_(tasks), settings_(settings) {}

void SourceAdder::AddFilesFromDialog() {
  std::optional<std::vector<std::wstring>> chosen = shell_.ChooseFiles(Tr(kAllFilesFilterName), kAllFilesPattern);
  if (!chosen) return;
  AddPaths(*chosen);
  FinishAdding();
}

void SourceAdder::AddFilesFromFolder() {
  std::optional<std::wstring> folder = shell_.ChooseFolder(Tr(kChooseFolderTitle), L"");
  if (!folder) return;
  // A choice without a local path scans nothing but still refreshes the page.
  if (!folder->empty()) {
    for (std::shared_ptr<FileObject>& task : ScanFolder(*folder, settings_)) tasks_.AddTask(std::move(task));
  }
  FinishAdding();
}

void SourceAdder::AddDroppedFiles(const std::vector<std::wstring>& paths) {
  AddPaths(paths);
  FinishAdding();
}

void SourceAdder::AddPaths(const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) {
    if (path.empty()) continue;
    tasks_.AddTask(MakeSourceTask(path, settings_));
  }
}

void SourceAdder::FinishAdding() {
  std::wstring json = RenderTasksJson(tasks_.RefreshQueue());  // rendered without the list's lock
  window_.SetElementText(L"parmContainer", json);
  window_.CallPageFunction(L"addFile");
}

}  // namespace cw
