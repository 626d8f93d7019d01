// Noticing the end of the window's queue.
#include "app/queue_finish_watch.h"

namespace cw {

std::optional<FinishReport> QueueFinishWatch::Observe(const std::vector<TaskView>& tasks) {
  if (!CountTasks(tasks).settled()) return std::nullopt;
  FinishReport report;
  std::set<std::wstring> listed;
  for (const auto& task : tasks) {
    listed.insert(task.guid);
    if (counted_.count(task.guid) > 0) continue;
    if (task.status == kTaskDone) ++report.converted;
    if (task.status == kTaskFailed) ++report.failed;
  }
  // Only listed tasks are remembered: the set never outgrows the list.
  counted_ = std::move(listed);
  if (report.converted + report.failed == 0) return std::nullopt;
  return report;
}

std::wstring FinishTitle(const FinishReport& report) {
  return report.failed > 0 && report.converted == 0 ? L"Conversions failed" : L"Conversions finished";
}

std::wstring FinishText(const FinishReport& report) {
  auto files = [](int n) { return std::to_wstring(n) + (n == 1 ? L" file" : L" files"); };
  if (report.converted == 0) return files(report.failed) + L" failed.";
  std::wstring text = files(report.converted) + L" converted";
  if (report.failed > 0) text += L", " + std::to_wstring(report.failed) + L" failed";
  return text + L".";
}

}  // namespace cw
