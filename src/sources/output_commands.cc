// The output-location commands.
#include "sources/output_commands.h"

#include "platform/files.h"
#include "settings/setting_checks.h"
#include "sources/add_sources.h"
#include "tasks/output_naming.h"
#include "platform/translate.h"

namespace cw {

OutputCommands::OutputCommands(Window& window, Shell& shell, TaskManager& tasks, ConfigObject& settings)
    : window_(window), shell_(shell), tasks_(tasks), settings_(settings) {}

void OutputCommands::SelectOutputDir() {
  std::optional<std::wstring> folder = shell_.ChooseFolder(Tr(kChooseFolderTitle), settings_.outputDir);
  if (!folder || folder->empty()) return;
  // A chosen folder is checked like one typed in the options: a read-only
  // one keeps the old folder, and the user is told why.
  std::wstring problem = *folder == settings_.outputDir ? std::wstring() : OutputFolderProblem(*folder);
  if (!problem.empty()) {
    window_.ShowMessageBox(RefusedOutputFolderMessage(*folder, problem, settings_.outputDir));
    return;
  }
  settings_.outputDir = *folder;
  window_.SetElementText(L"configParmContainer", settings_.ToJson());
  window_.CallPageFunction(L"updateConfig");
}

void OutputCommands::OpenOutputDir() {
  std::wstring folder = settings_.outputDir;
  if (!folder.empty() && !FileExists(folder)) CreateDirectories(folder);
  shell_.OpenFolder(folder);
}

void OutputCommands::LocateInputFile(const std::wstring& guid) {
  std::shared_ptr<FileObject> task = tasks_.FindTask(guid);
  if (!task) return;
  RevealFile(task->fromPath);  // read on the UI thread, the only one that changes it
}

void OutputCommands::LocateOutputFile(const std::wstring& guid) {
  std::shared_ptr<FileObject> task = tasks_.FindTask(guid);
  if (!task) return;
  std::wstring path = task->toPath;
  if (path.size() <= 3) {
    window_.ShowMessageBox(Tr(kNotStartedMessage));
    return;
  }
  RevealFile(path);
}

void OutputCommands::RevealFile(const std::wstring& path) {
  if (!path.empty() && FileExists(path)) {
    shell_.ShowItemInFolder(path);
  } else {
    window_.ShowMessageBox(Tr(kCantFindFileMessage) + path);
  }
}

}  // namespace cw
