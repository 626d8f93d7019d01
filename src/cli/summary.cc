// The closing report of a run.
#include "cli/summary.h"

#include "cli/text_fit.h"
#include "platform/translate.h"
#include "tasks/reason_texts.h"

namespace cw::cli {

namespace {

unsigned long Count(int n) { return static_cast<unsigned long>(n < 0 ? 0 : n); }

void AppendFailures(const RunOutcome& outcome, std::wstring* out) {
  for (const auto& task : outcome.tasks) {
    if (task.status != kTaskFailed) continue;
    *out += Fill(Tr(L"Failed: %1  (%2)"), {PrintableText(task.fileName), PrintableText(task.fromPath)}) + L"\n";
    if (!task.failureReason.empty()) {
      *out += L"  " + Fill(Tr(L"reason: %1"), {PrintableText(ReasonForPeople(task.failureReason))}) + L"\n";
    }
    // The view's lines, or those of the run's log (no version banner).
    std::vector<std::wstring> lines = task.failureLines;
    auto log = outcome.failure_logs.find(task.guid);
    if (lines.empty() && log != outcome.failure_logs.end()) lines = LastLines(log->second, kFailureLogLines, true);
    if (lines.empty()) *out += L"  > " + Tr(L"(the encoder printed nothing)") + L"\n";
    for (const auto& line : lines) *out += L"  > " + PrintableText(line) + L"\n";
  }
}

}  // namespace

std::wstring FormatSummary(const RunOutcome& outcome) {
  QueueCounts counts = CountTasks(outcome.tasks);
  std::wstring out;
  if (outcome.stopped) {
    out += Fill(Tr(L"%1: every encoder was stopped and its partial output deleted."), {outcome.stop_reason}) + L"\n";
    for (const auto& task : outcome.tasks) {
      if (task.status == kTaskDone) out += Fill(Tr(L"Finished: %1"), {PrintableText(task.toPath)}) + L"\n";
    }
    for (const auto& task : outcome.tasks) {
      if (task.status == kTaskDone || task.status == kTaskFailed) continue;
      out += Fill(Tr(L"Not converted: %1"), {PrintableText(task.fromPath)}) + L"\n";
    }
    for (const auto& path : outcome.partial_files_left) {
      out += Fill(Tr(L"Could not delete the partial file %1"), {PrintableText(path)}) + L"\n";
    }
  }
  out += Fill(TrN(L"Converted %1 of %2 file.", L"Converted %1 of %2 files.", Count(counts.total())),
              {std::to_wstring(counts.done), std::to_wstring(counts.total())});
  if (counts.failed > 0) out += L" " + Fill(Tr(L"%1 failed."), {std::to_wstring(counts.failed)});
  out += L"\n";
  if (outcome.skipped > 0) {
    out += Fill(TrN(L"Skipped %1 file whose output was already complete.",
                    L"Skipped %1 files whose output was already complete.", Count(outcome.skipped)),
                {std::to_wstring(outcome.skipped)}) +
           L"\n";
  }
  AppendFailures(outcome, &out);
  return out;
}

}  // namespace cw::cli
