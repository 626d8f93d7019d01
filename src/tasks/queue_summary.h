// The whole queue's remaining time, from the views of one refresh.
#pragma once

#include <vector>

#include "analysis/queue_estimate.h"
#include "tasks/task_view.h"

namespace cw {

// What the queue estimate needs of each view: its id, profile (device and
// quality), state, duration, progress and running time. Any thread.
std::vector<QueueTaskFacts> QueueFactsOf(const std::vector<TaskView>& views);

}  // namespace cw
