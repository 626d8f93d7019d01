// The whole queue's remaining time from the views of one refresh.
#include "tasks/queue_summary.h"

namespace cw {

std::vector<QueueTaskFacts> QueueFactsOf(const std::vector<TaskView>& views) {
  std::vector<QueueTaskFacts> facts;
  facts.reserve(views.size());
  for (const TaskView& view : views) {
    QueueTaskFacts task;
    task.id = view.guid;
    task.profile = view.targetDevice + L"\n" + view.outputQuality;
    task.status = view.status;
    task.durationSeconds = view.sourceSeconds;
    task.fraction = view.progress / 100.0;
    task.runSeconds = view.runSeconds;
    facts.push_back(std::move(task));
  }
  return facts;
}

}  // namespace cw
