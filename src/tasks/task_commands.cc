// The task commands of the page and the close routine: pause, resume, delete,
// rendering the list, stopping every run, finding a task.
#include <algorithm>

#include "platform/text.h"
#include "settings/config_object.h"
#include "tasks/encoder_runner.h"
#include "tasks/host_hooks.h"
#include "tasks/task_manager.h"

namespace cw {
namespace {

using TaskList = std::vector<std::shared_ptr<FileObject>>;

// The first task whose identity matches `guid`, ASCII case ignored.
TaskList::iterator FindFirstIgnoringCase(TaskList& tasks, const std::wstring& guid) {
  return std::find_if(tasks.begin(), tasks.end(),
                      [&guid](const auto& t) { return AsciiCaseCompare(t->guid, guid) == 0; });
}

bool RunStillGoing(const ProcessObject& run) { return HasEncoderRun(run) && run.finished.load() == 0; }

}  // namespace

void TaskManager::ResumeTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock);
  auto it = FindFirstIgnoringCase(tasks, guid);
  if (it != tasks.end() && (*it)->iStatus == kTaskPaused) (*it)->iStatus = kTaskWaiting;
}

void TaskManager::PauseTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock);
  auto it = FindFirstIgnoringCase(tasks, guid);
  if (it == tasks.end()) return;
  FileObject& task = **it;
  // Also holds for a run whose encoder is still being created: it is created frozen.
  if (HasEncoderRun(*task.process)) SuspendProcessThreads(*task.process);
  task.iStatus = kTaskPaused;
  task.ticks.CloseLastTick();
}

bool TaskManager::DeleteTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock);
  auto it = FindFirstIgnoringCase(tasks, guid);
  if (it == tasks.end()) return false;
  StopEncoder(**it);
  // The worker keeps its own share of the run record until it returns.
  tasks.erase(it);
  return true;
}

bool TaskManager::DeleteFinishedTask(const std::wstring& guid) {
  bool open_countdown = false;
  {
    std::lock_guard<std::mutex> hold(lock);
    auto it = FindFirstIgnoringCase(tasks, guid);
    if (it == tasks.end()) return false;
    // A run that has not ended has no finished output to keep: it is stopped
    // and its partial file removed rather than left running without a task.
    if (RunStillGoing(*(*it)->process)) StopEncoder(**it);
    tasks.erase(it);
    open_countdown = tasks.empty() && Settings().needShutdown == 1;
  }
  // Opened once the lock is free: the countdown is a window of the host.
  if (open_countdown) OpenShutdownCountdown();
  return true;
}

std::wstring TaskManager::GetTasksJson() {
  std::lock_guard<std::mutex> hold(lock);
  std::wstring json = L"[";
  for (size_t i = 0; i < tasks.size(); ++i) {
    if (i > 0) json += L',';
    json += tasks[i]->ToJson();
  }
  json += L']';
  return json;
}

void TaskManager::StopAllTasks() {
  std::lock_guard<std::mutex> hold(lock);
  // Runs whose encoder is still being created are stopped too, so none
  // starts after the program decided to end.
  for (const auto& task : tasks) {
    if (RunStillGoing(*task->process)) StopEncoder(*task);
  }
}

std::shared_ptr<FileObject> TaskManager::FindTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock);
  std::shared_ptr<FileObject> found;
  for (const auto& task : tasks) {
    if (task->guid == guid) found = task;
  }
  return found;
}

}  // namespace cw
