// The one refresh of the queue that every driver runs.
#include "tasks/task_json.h"
#include "tasks/task_manager.h"

namespace cw {

std::vector<TaskView> TaskManager::RefreshQueue(Scheduling scheduling) {
  std::lock_guard<std::mutex> hold(lock);
  // Ended runs first: a run that ended frees its slot for this very pass.
  for (const auto& task : tasks) ComputeProgress(*task);
  if (scheduling == Scheduling::kStart) ScheduleLocked();
  std::vector<TaskView> views;
  views.reserve(tasks.size());
  for (const auto& task : tasks) views.push_back(ViewOfTask(*task, TaskDeviceName(task->targetDevice)));
  return views;
}

}  // namespace cw
