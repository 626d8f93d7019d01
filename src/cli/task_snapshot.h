// Words and lines for the command line's displays of the task views that the
// queue's refresh returns (tasks/task_view.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tasks/task_view.h"

namespace cw::cli {

// The state as a word: "waiting", "running", "paused", "done", "failed",
// "stopped".
std::wstring StateWord(int32_t status);


}  // namespace cw::cli
