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

// The last `count` non-empty lines of an encoder's output (lines end in
// '\n' or '\r'; progress lines that overwrite each other count one by one).
std::vector<std::wstring> LastLines(const std::wstring& log, size_t count);

}  // namespace cw::cli
