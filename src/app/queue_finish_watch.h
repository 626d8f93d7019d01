// Noticing that the window's queue has finished, for the desktop
// notification: nothing waits, runs or is paused any more, and some tasks
// have ended since the last time it finished.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tasks/task_view.h"

namespace cw {

struct FinishReport {
  int converted = 0;  // tasks that ended done since the last report
  int failed = 0;     // tasks that ended failed since the last report
};

class QueueFinishWatch {
 public:
  // Looks at the list after a refresh. Returns a report the first time the
  // queue is seen finished with tasks ended since the previous report; tasks
  // counted once are not counted again, while they stay listed.
  std::optional<FinishReport> Observe(const std::vector<TaskView>& tasks);

 private:
  std::set<std::wstring> counted_;  // identities of ended tasks already reported
};

// The notification's title and text: "Conversions finished" and
// "3 files converted, 1 failed." ("1 file converted.", "2 files failed.").
std::wstring FinishTitle(const FinishReport& report);
std::wstring FinishText(const FinishReport& report);

}  // namespace cw
