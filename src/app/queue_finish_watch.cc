// Noticing the end of the window's queue.
#include "app/queue_finish_watch.h"
#include "platform/translate.h"

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
  return report.failed > 0 && report.converted == 0 ? Tr(L"Conversions failed") : Tr(L"Conversions finished");
}

std::wstring FinishText(const FinishReport& report) {
  auto n = [](int count) { return static_cast<unsigned long>(count); };
  std::wstring converted = std::to_wstring(report.converted);
  std::wstring failed = std::to_wstring(report.failed);
  if (report.converted == 0) return Fill(TrN(L"%1 file failed.", L"%1 files failed.", n(report.failed)), {failed});
  if (report.failed == 0) {
    return Fill(TrN(L"%1 file converted.", L"%1 files converted.", n(report.converted)), {converted});
  }
  return Fill(TrN(L"%1 file converted, %2 failed.", L"%1 files converted, %2 failed.", n(report.converted)),
              {converted, failed});
}

}  // namespace cw
