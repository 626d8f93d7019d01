// The scheduler: keeps up to conTasks tasks running, starting waiting tasks in
// list order and sending running tasks back from the end of the list.
#include <algorithm>

#include "settings/config_object.h"
#include "platform/paths.h"
#include "tasks/encoder_runner.h"
#include "tasks/output_naming.h"
#include "platform/translate.h"
#include "tasks/task_manager.h"

namespace cw {
namespace {

constexpr int kMaxChangesPerPass = 101;

int CountRunning(const std::vector<std::shared_ptr<FileObject>>& tasks) {
  return static_cast<int>(std::count_if(tasks.begin(), tasks.end(),
                                        [](const auto& t) { return t->iStatus == kTaskRunning; }));
}

}  // namespace

void TaskManager::ScheduleTasks() {
  std::lock_guard<std::mutex> hold(lock_);
  ScheduleLocked();
}

void TaskManager::ScheduleLocked() {
  const int limit = settings_.conTasks;
  const int running = CountRunning(tasks_);
  if (running < limit) {
    for (int pass = 0; pass < kMaxChangesPerPass; ++pass) {
      if (CountRunning(tasks_) >= limit) break;
      auto waiting = std::find_if(tasks_.begin(), tasks_.end(),
                                  [](const auto& t) { return t->iStatus == kTaskWaiting; });
      if (waiting == tasks_.end()) break;
      StartTask(**waiting);
    }
  } else if (running > limit) {
    for (int pass = 0; pass < kMaxChangesPerPass; ++pass) {
      if (CountRunning(tasks_) <= limit) break;
      SendBackOne();
    }
  }
}

void TaskManager::StartTask(FileObject& task) {
  task.ticks.AddTick();
  ProcessObject& run = *task.process;
  if (HasEncoderRun(run)) {
    // Started before and frozen by a pause or a send-back: let it go on.
    ResumeProcessThreads(run);
  } else {
    // Outputs already given to the other tasks are avoided too: their
    // encoders may not have created their files yet.
    std::vector<std::wstring> taken;
    for (const auto& other : tasks_) {
      if (other.get() != &task && !other->toPath.empty()) taken.push_back(other->toPath);
    }
    ConfigObject& config = settings_;
    ProfileIds profile = task.keepsOwnProfile ? ProfileIds{task.targetDevice, task.outputQuality}
                                              : config.CurrentProfile();
    const std::wstring& folder = task.outputDir.empty() ? config.outputDir : task.outputDir;
    run.inputPath = task.fromPath;
    run.targetDevice = profile.targetDevice;
    run.outputQuality = profile.outputQuality;
    run.source = task.source;
    // The output is written under a marked partial name reserved on disk
    // and gets its final name only when the run has succeeded.
    task.toPath = ChooseAndReserveOutputPath(folder, BaseNameOfPath(task.fromPath), taken, &run.reservation);
    if (task.toPath.empty()) {
      FailWithoutRun(task, Fill(kOutputFolderReason, {folder}));
      return;
    }
    run.outputPath = PartialPathOf(task.toPath);
    run.finalPath = task.toPath;
    StartWorker(task.process, catalog_, messages_);
  }
  task.iStatus = kTaskRunning;
}

void TaskManager::FailWithoutRun(FileObject& task, const std::wstring& reason) {
  ProcessObject& run = *task.process;
  run.failureReason = reason;
  run.failed.store(1);
  run.finished.store(1);
  task.ticks.CloseLastTick();
  task.iStatus = kTaskFailed;
}

void TaskManager::SendBackOne() {
  auto last_running = std::find_if(tasks_.rbegin(), tasks_.rend(),
                                   [](const auto& t) { return t->iStatus == kTaskRunning; });
  if (last_running == tasks_.rend()) return;
  FileObject& task = **last_running;
  if (HasEncoderRun(*task.process)) SuspendProcessThreads(*task.process);
  task.ticks.CloseLastTick();
  task.iStatus = kTaskWaiting;
}

}  // namespace cw
