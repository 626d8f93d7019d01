// Copying the task list for displays and summaries.
#include "cli/task_snapshot.h"

#include <algorithm>
#include <mutex>

#include "analysis/size_text.h"
#include "analysis/time_tick.h"

namespace cw::cli {

std::vector<TaskView> SnapshotTasks(TaskManager& list) {
  std::lock_guard<std::mutex> hold(list.lock);
  std::vector<TaskView> views;
  views.reserve(list.tasks.size());
  for (const auto& task : list.tasks) {
    const ProcessObject& run = *task->process;
    TaskView view;
    view.progress = ComputeProgress(*task);  // first: it notices an ended run
    task->ticks.SetFrames(FramesForEstimate(run.currentFrame.load()), FramesForEstimate(run.totalFrames.load()));
    view.remaining = task->ticks.FormatRemainingTime();
    view.size = FormatSizeText(run.sizeKB.load());
    view.guid = task->guid;
    view.fileName = task->fileName;
    view.fromPath = task->fromPath;
    view.toPath = task->toPath;
    view.status = task->iStatus;
    views.push_back(std::move(view));
  }
  return views;
}

QueueCounts CountTasks(const std::vector<TaskView>& tasks) {
  QueueCounts counts;
  for (const auto& task : tasks) {
    switch (task.status) {
      case kTaskWaiting: ++counts.waiting; break;
      case kTaskRunning: ++counts.running; break;
      case kTaskPaused: ++counts.paused; break;
      case kTaskDone: ++counts.done; break;
      case kTaskStopped: ++counts.stopped; break;
      default: ++counts.failed; break;
    }
  }
  return counts;
}

std::wstring StateWord(int32_t status) {
  switch (status) {
    case kTaskWaiting: return L"waiting";
    case kTaskRunning: return L"running";
    case kTaskPaused: return L"paused";
    case kTaskDone: return L"done";
    case kTaskStopped: return L"stopped";
    default: return L"failed";
  }
}

std::vector<std::wstring> LastLines(const std::wstring& log, size_t count) {
  std::vector<std::wstring> lines;
  size_t end = log.size();
  while (end > 0 && lines.size() < count) {
    size_t start = log.find_last_of(L"\r\n", end - 1);
    size_t first = start == std::wstring::npos ? 0 : start + 1;
    std::wstring line = log.substr(first, end - first);
    bool blank = line.find_first_not_of(L" \t") == std::wstring::npos;
    if (!blank) lines.push_back(line);
    if (start == std::wstring::npos) break;
    end = start;
  }
  std::reverse(lines.begin(), lines.end());
  return lines;
}

}  // namespace cw::cli
