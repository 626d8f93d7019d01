// The task list object: creation, appending, counting and reading tasks.
#include "tasks/task_manager.h"

#include "media/probe_pool.h"

namespace cw {

TaskManager::TaskManager(ConfigObject& settings, const DeviceCatalog& catalog, MessageSink messages)
    : settings_(settings), catalog_(catalog), messages_(messages ? std::move(messages) : [](const std::wstring&) {}) {}

void TaskManager::AddTask(std::shared_ptr<FileObject> task) {
  std::lock_guard<std::mutex> hold(lock_);
  if (prober != nullptr) prober->Enqueue(task->fromPath, task->source);  // takes only the pool's own lock
  tasks_.push_back(std::move(task));
}

int32_t TaskManager::GetTaskCount() {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<int32_t>(tasks_.size());
}

std::vector<std::shared_ptr<FileObject>> TaskManager::Snapshot() {
  std::lock_guard<std::mutex> hold(lock_);
  return tasks_;
}

std::map<std::wstring, std::wstring> TaskManager::FailureLogs() {
  std::lock_guard<std::mutex> hold(lock_);
  std::map<std::wstring, std::wstring> logs;
  for (const auto& task : tasks_) {
    if (task->iStatus == kTaskFailed && task->process->finished.load() != 0) logs[task->guid] = task->process->log;
  }
  return logs;
}

}  // namespace cw
