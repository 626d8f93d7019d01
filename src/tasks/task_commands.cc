// The task commands of the page and the close routine: pause, resume, delete,
// stopping every run, finding a task.
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
  std::lock_guard<std::mutex> hold(lock_);
  auto it = FindFirstIgnoringCase(tasks_, guid);
  if (it != tasks_.end() && (*it)->iStatus == kTaskPaused) (*it)->iStatus = kTaskWaiting;
}

void TaskManager::PauseTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = FindFirstIgnoringCase(tasks_, guid);
  if (it == tasks_.end()) return;
  FileObject& task = **it;
  // Also holds for a run whose encoder is still being created: it is created frozen.
  if (HasEncoderRun(*task.process)) SuspendProcessThreads(*task.process);
  task.iStatus = kTaskPaused;
  task.ticks.CloseLastTick();
}

bool TaskManager::DeleteTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = FindFirstIgnoringCase(tasks_, guid);
  if (it == tasks_.end()) return false;
  // The page chose this command from a row that may be older than the run's
  // end: StopEncoder keeps the output of a run that has already published it.
  StopEncoder(**it);
  // The worker keeps its own share of the run record until it returns.
  tasks_.erase(it);
  return true;
}

bool TaskManager::DeleteFinishedTask(const std::wstring& guid) {
  bool open_countdown = false;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = FindFirstIgnoringCase(tasks_, guid);
    if (it == tasks_.end()) return false;
    // A run that has not ended has no finished output to keep: it is stopped
    // and its partial file removed rather than left running without a task.
    if (RunStillGoing(*(*it)->process)) StopEncoder(**it);
    tasks_.erase(it);
    open_countdown = tasks_.empty() && settings_.needShutdown == 1;
  }
  // Opened once the lock is free: the countdown is a window of the host.
  if (open_countdown) OpenShutdownCountdown();
  return true;
}

void TaskManager::StopAllTasks() {
  std::lock_guard<std::mutex> hold(lock_);
  // Runs whose encoder is still being created are stopped too, so none
  // starts after the program decided to end.
  for (const auto& task : tasks_) {
    if (RunStillGoing(*task->process)) StopEncoder(*task);
  }
}

std::shared_ptr<FileObject> TaskManager::FindTask(const std::wstring& guid) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<FileObject> found;
  for (const auto& task : tasks_) {
    if (task->guid == guid) found = task;
  }
  return found;
}

}  // namespace cw
