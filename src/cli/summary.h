// The closing report of a run: what converted, what failed (with the last
// lines of each failed encoder's output) and, for a stopped run, what was
// left unconverted.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cli/task_snapshot.h"

namespace cw::cli {

// Lines of encoder output shown for each failed task.
inline constexpr size_t kFailureLogLines = 5;

struct RunOutcome {
  std::vector<TaskView> tasks;  // the last snapshot of the list
  // Encoder output of failed tasks, by identity.
  std::map<std::wstring, std::wstring> failure_logs;
  bool stopped = false;         // the run was stopped by a signal
  std::wstring stop_reason;     // e.g. "Interrupted (SIGINT)"
  // Outputs of stopped tasks that could not be removed.
  std::vector<std::wstring> partial_files_left;
  // Sources left alone by --skip-existing (not in `tasks`).
  int skipped = 0;
};

// The report, ending in a line break:
//   Converted N of M files.
//   Skipped K files whose output was already complete.   (with --skip-existing)
//   Failed: NAME  (FROM)
//     > last encoder lines...
// A stopped run starts with the reason and lists the finished outputs and the
// files that were not converted.
std::wstring FormatSummary(const RunOutcome& outcome);

}  // namespace cw::cli
