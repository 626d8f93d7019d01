// The JSON lines of --events.
#include "cli/event_log.h"

#include <charconv>

#include "json/json_escape.h"

namespace cw::cli {

namespace {

std::wstring Fixed(double value, int decimals) {
  char buffer[48];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::wstring(buffer, result.ptr);
}

// Builds one object: {"v":1,"event":NAME,"time":T, ...}.
class Line {
 public:
  Line(const wchar_t* event, int64_t now_ms) {
    text_ = L"{\"v\":" + std::to_wstring(kEventsVersion) + L",\"event\":\"" + event + L"\",\"time\":" +
            Fixed(static_cast<double>(now_ms) / 1000.0, 3);
  }
  Line& Text(const wchar_t* key, const std::wstring& value) {
    text_ += L",\"" + std::wstring(key) + L"\":\"";
    AppendJsonEscaped(&text_, value, LoneSurrogates::kEscape);
    text_ += L"\"";
    return *this;
  }
  Line& Number(const wchar_t* key, const std::wstring& value) {
    text_ += L",\"" + std::wstring(key) + L"\":" + value;
    return *this;
  }
  std::wstring End() { return text_ + L"}"; }

 private:
  std::wstring text_;
};

}  // namespace

EventLog::EventLog(ReasonOf reason_of, int64_t progress_gap_ms)
    : reason_of_(std::move(reason_of)), progress_gap_ms_(progress_gap_ms) {}

std::vector<std::wstring> EventLog::Update(const std::vector<TaskView>& tasks, int64_t now_ms) {
  std::vector<std::wstring> lines;
  // Every new file is announced before any other line of this update.
  for (const auto& task : tasks) {
    if (seen_.try_emplace(task.guid).second) {
      lines.push_back(Line(L"queued", now_ms).Text(L"id", task.guid).Text(L"source", task.fromPath).End());
    }
  }
  for (const auto& task : tasks) UpdateOne(task, now_ms, &lines);
  return lines;
}

void EventLog::UpdateOne(const TaskView& task, int64_t now_ms, std::vector<std::wstring>* lines) {
  Seen& seen = seen_[task.guid];
  if (seen.ended || task.status == kTaskWaiting) return;
  const bool ran = task.status != kTaskStopped || !task.toPath.empty();
  if (!seen.started && ran) {
    seen.started = true;
    seen.last_progress_ms = now_ms;
    lines->push_back(Line(L"started", now_ms)
                         .Text(L"id", task.guid)
                         .Text(L"source", task.fromPath)
                         .Text(L"output", task.toPath)
                         .End());
  }
  switch (task.status) {
    case kTaskRunning:
    case kTaskPaused:
      if (task.progress > seen.percent && now_ms - seen.last_progress_ms >= progress_gap_ms_) {
        seen.percent = task.progress;
        seen.last_progress_ms = now_ms;
        lines->push_back(Line(L"progress", now_ms)
                             .Text(L"id", task.guid)
                             .Number(L"percent", Fixed(task.progress, 1))
                             .Text(L"remaining", task.remaining)
                             .Text(L"size", task.size)
                             .Number(L"sizeKB", Fixed(task.sizeKB > 0 ? task.sizeKB : -1, 0))
                             .End());
      }
      return;
    case kTaskDone:
      lines->push_back(
          Line(L"done", now_ms).Text(L"id", task.guid).Text(L"source", task.fromPath).Text(L"output", task.toPath).End());
      break;
    case kTaskStopped:
      lines->push_back(Line(L"stopped", now_ms).Text(L"id", task.guid).Text(L"source", task.fromPath).End());
      break;
    default:
      lines->push_back(Line(L"failed", now_ms)
                           .Text(L"id", task.guid)
                           .Text(L"source", task.fromPath)
                           .Text(L"reason", reason_of_ ? reason_of_(task) : task.failureReason)
                           .End());
      break;
  }
  seen.ended = true;
}

std::wstring EventLog::Skipped(const std::wstring& source, const std::wstring& output, const std::wstring& reason,
                               int64_t now_ms) const {
  return Line(L"skipped", now_ms).Text(L"source", source).Text(L"output", output).Text(L"reason", reason).End();
}

std::wstring EventLog::Summary(const Totals& totals, int64_t now_ms) const {
  return Line(L"summary", now_ms)
      .Number(L"total", std::to_wstring(totals.total))
      .Number(L"converted", std::to_wstring(totals.converted))
      .Number(L"failed", std::to_wstring(totals.failed))
      .Number(L"skipped", std::to_wstring(totals.skipped))
      .Number(L"stopped", std::to_wstring(totals.stopped))
      .Text(L"shard", totals.shard)
      .Text(L"signal", totals.stop_signal)
      .End();
}

}  // namespace cw::cli
