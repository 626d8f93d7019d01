// The whole queue's remaining time, from the views of one refresh.
#pragma once

#include <vector>

#include "tasks/task_view.h"

namespace cw {

// EstimateQueueSeconds over the views (profile = device and quality) with
// `slots` tasks side by side. Any thread.
double QueueRemainingSeconds(const std::vector<TaskView>& views, int slots);

// The status bar's text for it: "Queue: 20 minutes", "" while unknown.
std::wstring QueueRemainingText(const std::vector<TaskView>& views, int slots);

}  // namespace cw
