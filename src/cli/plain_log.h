// The output for logs, when standard output is not a terminal: one line per
// change of a task's state and one per 10 % of progress, in a fixed form
// that scripts can read:
//   NAME: running -> OUTPUT
//   NAME: 10%
//   NAME: done
//   NAME: failed
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cli/task_snapshot.h"

namespace cw::cli {

class PlainLog {
 public:
  // The lines for what changed since the previous call (none on the first
  // call for tasks that are still waiting). A jump over several tens of
  // percent prints only the highest ten reached; a task that reaches the end
  // prints its end state and no "100%".
  std::vector<std::wstring> Update(const std::vector<TaskView>& tasks);

 private:
  struct Seen {
    int32_t status = kTaskWaiting;
    int tens = 0;  // the last ten of percent printed (0..9)
    std::wstring stalled;  // the stall last printed ("" while it goes on)
  };
  std::map<std::wstring, Seen> seen_;  // by task identity
};

}  // namespace cw::cli
