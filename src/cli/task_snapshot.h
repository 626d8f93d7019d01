// A copy of the task list as a display needs it, taken the way the window's
// refresh renders the list (so runs that ended are noticed at that moment),
// and the counts of a queue's states.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tasks/task_manager.h"

namespace cw::cli {

// A display-only state: a task whose run was stopped by a stop request.
inline constexpr int32_t kTaskStopped = 100;

struct TaskView {
  std::wstring guid;
  std::wstring fileName;
  std::wstring fromPath;
  std::wstring toPath;
  int32_t status = kTaskWaiting;  // kTaskWaiting ... kTaskFailed
  double progress = 0;            // 0..100
  std::wstring remaining;         // remaining-time text ("..." while unknown)
  std::wstring size;              // expected-size text ("..." while unknown)
};

// Renders every task of `list` as its JSON rendering would (progress, state
// changes of ended runs, remaining time, size) and copies the results. Takes
// the list's lock. The thread that runs the list's commands.
std::vector<TaskView> SnapshotTasks(TaskManager& list);

struct QueueCounts {
  int waiting = 0;
  int running = 0;
  int paused = 0;
  int done = 0;
  int failed = 0;
  int stopped = 0;
  int total() const { return waiting + running + paused + done + failed + stopped; }
  // Nothing waits, runs or is paused any more.
  bool settled() const { return waiting + running + paused == 0; }
};

QueueCounts CountTasks(const std::vector<TaskView>& tasks);

// The state as a word: "waiting", "running", "paused", "done", "failed",
// "stopped".
std::wstring StateWord(int32_t status);

// The last `count` non-empty lines of an encoder's output (lines end in
// '\n' or '\r'; progress lines that overwrite each other count one by one).
std::vector<std::wstring> LastLines(const std::wstring& log, size_t count);

}  // namespace cw::cli
