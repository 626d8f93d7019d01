// The plain progress lines for logs.
#include "cli/plain_log.h"

#include <algorithm>

#include "cli/text_fit.h"
#include "platform/translate.h"
#include "tasks/reason_texts.h"

namespace cw::cli {

std::vector<std::wstring> PlainLog::Update(const std::vector<TaskView>& tasks) {
  std::vector<std::wstring> lines;
  for (const auto& task : tasks) {
    const std::wstring name = PrintableText(task.fileName);
    auto [it, fresh] = seen_.try_emplace(task.guid);
    Seen& seen = it->second;
    if (fresh || task.status != seen.status) {
      if (task.status == kTaskRunning && seen.status != kTaskPaused) {
        lines.push_back(Fill(Tr(L"%1: running -> %2"), {name, PrintableText(task.toPath)}));
      } else if (!(fresh && task.status == kTaskWaiting)) {
        lines.push_back(name + L": " + StateWord(task.status));
      }
      seen.status = task.status;
    }
    if (task.stalled != seen.stalled) {
      std::wstring why = PrintableText(ReasonForPeople(task.stalled));
      lines.push_back(task.stalled.empty() ? Fill(Tr(L"%1: going on"), {name})
                                           : Fill(Tr(L"%1: stalled (%2)"), {name, why}));
      seen.stalled = task.stalled;
    }
    if (task.status != kTaskRunning && task.status != kTaskPaused) continue;
    int tens = std::clamp(static_cast<int>(task.progress / 10.0), 0, 9);
    if (tens > seen.tens) {
      seen.tens = tens;
      lines.push_back(name + L": " + std::to_wstring(tens * 10) + L"%");
    }
  }
  return lines;
}

}  // namespace cw::cli
