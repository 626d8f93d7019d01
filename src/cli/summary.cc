// The closing report of a run.
#include "cli/summary.h"

#include "cli/text_fit.h"

namespace cw::cli {

namespace {

std::wstring Files(int n) { return std::to_wstring(n) + (n == 1 ? L" file" : L" files"); }

void AppendFailures(const RunOutcome& outcome, std::wstring* out) {
  for (const auto& task : outcome.tasks) {
    if (task.status != kTaskFailed) continue;
    *out += L"Failed: " + PrintableText(task.fileName) + L"  (" + PrintableText(task.fromPath) + L")\n";
    if (!task.failureReason.empty()) *out += L"  reason: " + PrintableText(task.failureReason) + L"\n";
    // The view's lines, or those of the run's log (no version banner).
    std::vector<std::wstring> lines = task.failureLines;
    auto log = outcome.failure_logs.find(task.guid);
    if (lines.empty() && log != outcome.failure_logs.end()) lines = LastLines(log->second, kFailureLogLines, true);
    if (lines.empty()) *out += L"  > (the encoder printed nothing)\n";
    for (const auto& line : lines) *out += L"  > " + PrintableText(line) + L"\n";
  }
}

}  // namespace

std::wstring FormatSummary(const RunOutcome& outcome) {
  QueueCounts counts = CountTasks(outcome.tasks);
  std::wstring out;
  if (outcome.stopped) {
    out += outcome.stop_reason + L": every encoder was stopped and its partial output deleted.\n";
    for (const auto& task : outcome.tasks) {
      if (task.status == kTaskDone) out += L"Finished: " + PrintableText(task.toPath) + L"\n";
    }
    for (const auto& task : outcome.tasks) {
      if (task.status == kTaskDone || task.status == kTaskFailed) continue;
      out += L"Not converted: " + PrintableText(task.fromPath) + L"\n";
    }
    for (const auto& path : outcome.partial_files_left) {
      out += L"Could not delete the partial file " + PrintableText(path) + L"\n";
    }
  }
  out += L"Converted " + std::to_wstring(counts.done) + L" of " + Files(counts.total()) + L".";
  if (counts.failed > 0) out += L" " + std::to_wstring(counts.failed) + L" failed.";
  out += L"\n";
  if (outcome.skipped > 0) {
    out += L"Skipped " + Files(outcome.skipped) + L" whose output was already complete.\n";
  }
  AppendFailures(outcome, &out);
  return out;
}

}  // namespace cw::cli
