// The one refresh of the queue that every driver runs.
#include "tasks/task_manager.h"

namespace cw {

std::vector<TaskView> TaskManager::RefreshQueue(Scheduling scheduling) {
  std::lock_guard<std::mutex> hold(lock_);
  // Ended runs first: a run that ended frees its slot for this very pass.
  for (const auto& task : tasks_) ComputeProgress(*task);
  if (scheduling == Scheduling::kStart) ScheduleLocked();
  std::vector<TaskView> views;
  views.reserve(tasks_.size());
  for (const auto& task : tasks_) {
    FeedRemainingTime(*task);
    views.push_back(ViewOfTask(*task, catalog_));
  }
  return views;
}

}  // namespace cw
