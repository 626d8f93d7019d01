// The whole queue's remaining time, from the views of one refresh.
#pragma once

#include <vector>

#include "analysis/queue_estimate.h"
#include "tasks/task_view.h"

namespace cw {

// What the queue estimate needs of each view: its id, profile (device and
// quality), state, duration, progress and running time. Any thread.
std::vector<QueueTaskFacts> QueueFactsOf(const std::vector<TaskView>& views);

// EstimateQueueSeconds over the views with `slots` tasks side by side: the
// estimate of the moment, without history. Any thread.
double QueueRemainingSeconds(const std::vector<TaskView>& views, int slots);

// The status bar's text for it: "Queue: 20 minutes", "" while unknown.
std::wstring QueueRemainingText(const std::vector<TaskView>& views, int slots);

}  // namespace cw
