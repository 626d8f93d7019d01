// Views of tasks and the task JSON rendered from them.
#include "tasks/task_view.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "analysis/size_estimate.h"
#include "analysis/size_text.h"
#include "media/source_probe.h"
#include "media/thumbnail_cache.h"
#include "platform/text.h"
#include "tasks/profile_rates.h"
#include "json/json_writer.h"
#include "platform/process.h"
#include "tasks/encoder_runner.h"
#include "platform/translate.h"

namespace cw {
namespace {

bool IsBannerLine(const std::wstring& line) {
  static const wchar_t* const kStarts[] = {L"ffmpeg version ", L"  built with ", L"  configuration:", L"  lib"};
  for (const wchar_t* start : kStarts) {
    if (line.rfind(start, 0) == 0) return true;
  }
  return false;
}

// The expected final size: for a running or paused task the profile's target
// rates weighed against what the encoder has written, else the observed figure.
double ExpectedSizeKB(const FileObject& task, const TaskView& view, const DeviceCatalog& catalog) {
  const ProcessObject& run = *task.process;
  const double observed = run.sizeKB.load();
  if (task.iStatus != kTaskRunning && task.iStatus != kTaskPaused) return observed;
  static const double lag_frames = EncoderLagFrames(std::thread::hardware_concurrency());
  SizeFacts facts;
  ProfileRates(catalog, task.targetDevice, task.outputQuality, &facts.videoKbps, &facts.audioKbps);
  facts.durationSeconds = view.sourceSeconds;
  facts.totalFrames = run.totalFrames.load();
  facts.currentFrame = run.currentFrame.load();
  facts.written.writtenKB = run.writtenKB.load();
  facts.written.lastUnwrittenFrame = run.lastUnwrittenFrame.load();
  facts.written.firstWrittenFrame = run.firstWrittenFrame.load();
  facts.written.recentKBPerFrame = run.recentKBPerFrame.load();
  facts.observedKB = observed;
  facts.lagFrames = lag_frames;
  return EstimateFinalSizeKB(facts);
}

// The source's members, once the source has been probed (successfully or
// not): "duration" ("0:08", "" unknown), "frameSize" ("320x240" or ""),
// "sourceInfo" (codecs, size and rate, or ""), "thumbnail" (a file URI of
// the cached PNG, or "").
void WriteSourceMembers(JsonWriter& json, const TaskView& view) {
  if (view.source.state == SourceRecord::State::kPending) return;
  const SourceFacts& facts = view.source.facts;
  json.Key(L"duration").String(DurationText(view.sourceSeconds));
  std::wstring frame_size;
  if (facts.width > 0 && facts.height > 0) frame_size = std::to_wstring(facts.width) + L"x" + std::to_wstring(facts.height);
  json.Key(L"frameSize").String(frame_size);
  json.Key(L"sourceInfo").String(FactsText(facts));
  std::wstring thumbnail;
  if (!view.source.thumbnailPath.empty()) thumbnail = SystemToWide(ThumbnailUriOfPath(view.source.thumbnailPath));
  json.Key(L"thumbnail").String(thumbnail);
}

void WriteTask(JsonWriter& json, const TaskView& view) {
  json.BeginObject();
  json.Key(L"fileName").String(view.fileName);
  json.Key(L"fromPath").String(view.fromPath);
  json.Key(L"toPath").String(view.toPath);
  json.Key(L"targetDevice").String(view.deviceName);
  json.Key(L"outputQuality").String(view.outputQuality);
  json.Key(L"iStatus").Int(view.status);
  json.Key(L"timeTip").String(view.remaining);
  json.Key(L"fileSize").String(view.size);
  json.Key(L"progress").Fixed(view.progress, 6);
  json.Key(L"guid").String(view.guid);
  json.Key(L"failReason").String(view.failureReason);
  json.Key(L"failDetails").String(JoinLines(view.failureLines));
  json.Key(L"stalled").String(view.stalled);
  WriteSourceMembers(json, view);
  json.EndObject();
}

}  // namespace

int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::wstring StallOf(const FileObject& task, int64_t now_ms) {
  const ProcessObject& run = *task.process;
  if (task.iStatus != kTaskRunning || run.started.load() == 0 || run.finished.load() != 0) return L"";
  if (run.control && run.control->frozen()) return L"";  // our own pause or send-back
  if (ProcessStopped(run.processId.load())) return kStoppedByAnotherProgram;
  int64_t silent_ms = now_ms - run.lastOutputMs.load();
  if (silent_ms < kStallMs) return L"";
  return Fill(kNoProgressFor, {std::to_wstring(silent_ms / 1000)});
}

std::vector<std::wstring> LastLines(const std::wstring& log, size_t count, bool skip_banner) {
  std::vector<std::wstring> lines;
  size_t end = log.size();
  while (end > 0 && lines.size() < count) {
    size_t start = log.find_last_of(L"\r\n", end - 1);
    size_t first = start == std::wstring::npos ? 0 : start + 1;
    std::wstring line = log.substr(first, end - first);
    bool blank = line.find_first_not_of(L" \t") == std::wstring::npos;
    if (!blank && !(skip_banner && IsBannerLine(line))) lines.push_back(line);
    if (start == std::wstring::npos) break;
    end = start;
  }
  std::reverse(lines.begin(), lines.end());
  return lines;
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

void FeedRemainingTime(FileObject& task) {
  const ProcessObject& run = *task.process;
  task.ticks.SetFrames(FramesForEstimate(run.currentFrame.load()), FramesForEstimate(run.totalFrames.load()));
}

TaskView ViewOfTask(const FileObject& task, const DeviceCatalog& catalog) {
  const ProcessObject& run = *task.process;
  const DeviceObject* device = FindDevice(catalog, task.targetDevice);
  TaskView view;
  view.guid = task.guid;
  view.fileName = task.fileName;
  view.fromPath = task.fromPath;
  view.toPath = task.toPath;
  view.targetDevice = task.targetDevice;
  view.deviceName = device ? device->name : L"";
  view.deviceMissing = device == nullptr;
  view.outputQuality = task.outputQuality;
  view.outputDir = task.outputDir;
  view.status = task.iStatus;
  view.progress = ProgressOf(task);
  view.remaining = task.ticks.FormatRemainingTime();
  view.source = task.source->Read();
  const double encoder_seconds = run.durationMs.load() >= 0 ? run.durationMs.load() / 1000.0 : -1;
  view.sourceSeconds = view.source.facts.durationSeconds > 0 ? view.source.facts.durationSeconds : encoder_seconds;
  view.runSeconds = task.ticks.ElapsedSeconds();
  view.sizeKB = ExpectedSizeKB(task, view, catalog);
  view.size = FormatSizeText(view.sizeKB);
  view.stalled = StallOf(task, SteadyMilliseconds());
  if (task.iStatus == kTaskFailed && run.finished.load() != 0) {
    // The run is over: its record is final and no worker writes it any more.
    view.failureReason = run.failureReason;
    view.failureLines = LastLines(run.log, kFailureLines, true);
  }
  return view;
}

namespace {

// Room for a task's text: its names and paths, and about 256 characters for
// the member names and the other values.
size_t TaskChars(const TaskView& view) {
  return 256 + view.fileName.size() + view.fromPath.size() + view.toPath.size();
}

}  // namespace

std::wstring RenderTaskJson(const TaskView& view) {
  JsonWriter json;
  json.Reserve(TaskChars(view));
  WriteTask(json, view);
  return json.Take();
}

std::wstring RenderTasksJson(const std::vector<TaskView>& views) {
  JsonWriter json;
  size_t chars = 2;
  for (const TaskView& view : views) chars += TaskChars(view) + 1;
  json.Reserve(chars);
  json.BeginArray();
  for (const TaskView& view : views) WriteTask(json, view);
  json.EndArray();
  return json.Take();
}

}  // namespace cw
