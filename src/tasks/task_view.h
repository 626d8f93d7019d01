// One task as every driver sees it after a refresh of the queue: the record
// that the page's task JSON, the command line's display and the diagnostics
// are all rendered from. Plain data, copied out of the list under its lock,
// so that it can be read and rendered on any thread without the lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/device_catalog.h"
#include "platform/translate.h"
#include "tasks/file_object.h"

namespace cw {

// A display-only state for a driver that stopped the runs itself (the
// command line after Ctrl-C). No task ever holds it.
inline constexpr int32_t kTaskStopped = 100;

struct TaskView {
  std::wstring guid;
  std::wstring fileName;
  std::wstring fromPath;
  std::wstring toPath;
  std::wstring targetDevice;   // the device id of the task
  std::wstring deviceName;     // the catalog's name of that device; "" when the catalog lacks it
  // The catalog lacks the task's device: the host tells the user once per id
  // (kDeviceNotFoundMessage); the refresh itself shows nothing.
  bool deviceMissing = false;
  std::wstring outputQuality;
  std::wstring outputDir;      // the task's own output folder; "" for the settings' one
  int32_t status = kTaskWaiting;  // kTaskWaiting ... kTaskFailed
  double progress = 0;            // 0..100
  std::wstring remaining;         // remaining-time text ("..." while unknown)
  std::wstring size;              // expected-size text ("..." while unknown)
  double sizeKB = -1;             // the expected size behind it in KiB; -1 unknown
  std::wstring failureReason;     // why a failed run failed, when the runner knows; else ""
  // Why a running task makes no progress ("stopped by another program", or
  // how long its encoder has been silent); "" while it goes on.
  std::wstring stalled;
  // A failed run's last meaningful encoder lines (no version banner or build
  // configuration), oldest first; empty for other tasks.
  std::vector<std::wstring> failureLines;
  SourceRecord::Snapshot source;  // the probing's facts and thumbnail so far
  double sourceSeconds = -1;      // the source's duration (probed, else the encoder's); -1 unknown
  double runSeconds = 0;          // running time spent on the task (pauses left out)
};

// A running encoder silent this long (and not paused by us) is stalled.
inline constexpr int64_t kStallMs = 60000;

// Milliseconds of the steady clock. Any thread.
int64_t SteadyMilliseconds();

// The reasons of a stalled run (%1: whole seconds without output).
inline constexpr wchar_t kStoppedByAnotherProgram[] = N_(L"stopped by another program");
inline constexpr wchar_t kNoProgressFor[] = N_(L"no progress for %1 s");

// Why a running task's run is stalled at `now_ms`, or "" (see
// TaskView::stalled). UI thread, under the task list's lock.
std::wstring StallOf(const FileObject& task, int64_t now_ms);

// The most encoder lines a failed task's view keeps.
inline constexpr size_t kFailureLines = 8;

// The last `count` non-empty lines of an encoder's output (lines end in
// '\n' or '\r'; progress lines that overwrite each other count one by one),
// oldest first. With `skip_banner`, the encoder's version banner and build
// configuration lines are left out. Any thread.
std::vector<std::wstring> LastLines(const std::wstring& log, size_t count, bool skip_banner = false);

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

// Feeds the run's frame counts to the task's remaining-time estimate; the
// refresh does it for every task before it builds the views. UI thread,
// under the task list's lock.
void FeedRemainingTime(FileObject& task);

// The view of one task, the device's name and the profile's rates taken from
// `catalog`. Reads the task and its run's figures and changes nothing. UI
// thread, under the task list's lock.
TaskView ViewOfTask(const FileObject& task, const DeviceCatalog& catalog);

// The task JSON the page receives: one object per view on one line, members
// fileName, fromPath, toPath, targetDevice (the device's name),
// outputQuality, iStatus, timeTip, fileSize, progress (six decimals), guid,
// failReason (the failure's reason, "" for a task that did not fail),
// failDetails (its encoder lines joined by '\n'), stalled (why a running
// task makes no progress, "" while it goes on), and once the source has been
// probed duration, frameSize, sourceInfo and thumbnail (a file URI); text
// values escaped as JSON strings, lone surrogates as U+FFFD. Any thread.
std::wstring RenderTaskJson(const TaskView& view);
std::wstring RenderTasksJson(const std::vector<TaskView>& views);

}  // namespace cw
