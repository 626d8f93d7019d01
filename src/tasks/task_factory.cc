// The one way a new task is made from a source path.
#include "tasks/task_factory.h"

#include "platform/file_facts.h"
#include "platform/paths.h"

namespace cw {

std::shared_ptr<FileObject> MakeSourceTask(const std::wstring& path, const ConfigObject& settings) {
  auto task = std::make_shared<FileObject>();
  task->guid = MakeGuidText();
  task->fromPath = path;
  task->fileName = FileNameOfPath(path);
  task->process->sourceAtAdd = StampOfFile(path);
  ProfileIds profile = settings.CurrentProfile();
  task->targetDevice = profile.targetDevice;
  task->outputQuality = profile.outputQuality;
  return task;
}

}  // namespace cw
