// The whole queue's remaining time from the views of one refresh.
#include "tasks/queue_summary.h"

#include "analysis/queue_estimate.h"

namespace cw {

double QueueRemainingSeconds(const std::vector<TaskView>& views, int slots) {
  std::vector<QueueTaskFacts> facts;
  facts.reserve(views.size());
  for (const TaskView& view : views) {
    QueueTaskFacts task;
    task.profile = view.targetDevice + L"\n" + view.outputQuality;
    task.status = view.status;
    task.durationSeconds = view.sourceSeconds;
    task.fraction = view.progress / 100.0;
    task.runSeconds = view.runSeconds;
    facts.push_back(std::move(task));
  }
  return EstimateQueueSeconds(facts, slots);
}

std::wstring QueueRemainingText(const std::vector<TaskView>& views, int slots) {
  return QueueEstimateText(QueueRemainingSeconds(views, slots));
}

}  // namespace cw
