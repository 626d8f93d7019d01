// The conversion task record (FileObject) and its encoder-run record
// (ProcessObject). Both names are the inherited ones, kept on purpose (see
// the README's glossary).
//
// Threads: every FileObject field is read and written on the UI thread, under
// the task list's lock. The worker thread of a run writes only its
// ProcessObject; the fields it writes that the UI thread reads are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/time_tick.h"
#include "catalog/device_catalog.h"
#include "platform/message.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "media/source_record.h"

namespace cw {

class EncoderControl;  // tasks/encoder_runner.h

// Task states, as the page receives them in "iStatus".
inline constexpr int32_t kTaskWaiting = 1;
inline constexpr int32_t kTaskRunning = 2;
inline constexpr int32_t kTaskPaused = 3;
inline constexpr int32_t kTaskDone = 4;
inline constexpr int32_t kTaskFailed = 5;  // the encoder failed, was killed by someone else, or never started

// The record of one encoder run. Shared (std::shared_ptr) between the task and
// its worker thread, so a worker that is still finishing never touches freed
// memory after its task was deleted.
struct ProcessObject {
  ProcessObject();  // encoderPath = program folder + "xenc"
  ProcessObject(const ProcessObject&) = delete;
  ProcessObject& operator=(const ProcessObject&) = delete;

  // The encoder's process id (it leads its own process group); 0 until the
  // worker has created the process. Written by the worker, read by the UI.
  std::atomic<int32_t> processId{0};

  std::wstring encoderPath;  // set by the constructor, then only read

  // Everything the encoder printed so far. Worker thread only.
  std::wstring log;

  // Figures parsed from the log: written by the worker, read by the UI thread.
  std::atomic<double> totalFrames{-1.0};   // -1: not yet known
  std::atomic<double> currentFrame{-1.0};  // -1: not yet known
  std::atomic<double> sizeKB{-1.0};        // -1: not yet known
  std::atomic<int32_t> durationMs{-1};     // -1: not yet known
  // What the encoder has written (SizeTrack's observation), each field on
  // its own: a reader may see one a status line newer than another.
  std::atomic<double> writtenKB{-1.0};
  std::atomic<double> lastUnwrittenFrame{-1.0};
  std::atomic<double> firstWrittenFrame{-1.0};
  std::atomic<double> recentKBPerFrame{-1.0};

  // 0 -> 1 once each, set by the worker. The worker sets `failed` (when the run
  // failed) BEFORE it sets `finished`, so a reader that sees finished == 1 also
  // sees the final value of `failed`.
  // When the encoder last printed anything, in milliseconds of the steady
  // clock (SteadyMilliseconds); written by the worker.
  std::atomic<int64_t> lastOutputMs{0};
  std::atomic<int32_t> started{0};
  std::atomic<int32_t> finished{0};
  std::atomic<int32_t> failed{0};  // 1: non-zero exit, a signal we did not send, or no process
  // Why the run failed, in words, when the runner knows ("" otherwise).
  // Written by the worker before `finished`; read once `finished` is 1.
  std::wstring failureReason;

  // The runner's hold on the encoder process: freeze, continue and stop
  // requests that may arrive before the process exists. Set by StartWorker on
  // the UI thread before the worker begins; null for a run never started.
  std::shared_ptr<EncoderControl> control;

  // Set on the UI thread when the task is first started, before its worker
  // thread is created; the worker only reads them afterwards (the thread's
  // creation orders the writes before the reads).
  std::wstring inputPath;
  std::wstring outputPath;  // the file the encoder writes: the partial file when finalPath is set
  std::wstring finalPath;   // the name the output gets on success; "" keeps outputPath
  // The reservation of finalPath (its partial file, locked). Set with the
  // paths; released by the worker when the run ends.
  std::unique_ptr<FileReservation> reservation;
  // The name the output got: finalPath, or the next free name when one
  // appeared there meanwhile. Written by the worker before `finished`.
  std::wstring publishedPath;
  std::wstring targetDevice;   // device id the run converts for
  std::wstring outputQuality;  // quality id the run converts with
  // The catalog's profile of targetDevice / outputQuality, copied on the UI
  // thread when the run begins (StartWorker), so the worker never reads the
  // catalog; empty when the catalog has none (the run then fails).
  std::optional<FormatObject> profile;
  // Where the worker tells the user what went wrong (the engine's sink); set
  // with `profile`.
  MessageSink messages;
  // The source's size and modification time when the task was added (size
  // -1: not taken); a run waits for a source that changed since.
  FileStamp sourceAtAdd;
  // What the probing made when the file was added learns of the source (the
  // task's own record); null: nothing is known but what the run's log tells.
  std::shared_ptr<SourceRecord> source;
};

// One conversion task. Created by the ways of adding files, owned by the task
// list through a std::shared_ptr.
class FileObject {
 public:
  FileObject();
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;

  std::wstring fileName;       // text after the last '/' of fromPath
  std::wstring fromPath;       // source file
  std::wstring toPath;         // output file; chosen at the first start, then kept
  std::wstring targetDevice;   // device id copied from the settings at creation
  std::wstring outputQuality;  // quality id copied from the settings at creation
  // The folder the output goes to; "" means the settings' output folder at
  // the first start. Set for tasks restored from the queue's journal and for
  // the command line's subfolders (--recursive).
  std::wstring outputDir;
  // Converted with targetDevice/outputQuality rather than the settings'
  // current profile (a task restored from the journal keeps what it was
  // queued with).
  bool keepsOwnProfile = false;
  double progress = 0.0;       // 0..100, two decimals, cut; only ComputeProgress writes it
  std::wstring guid;           // identity text; set at creation, never changed
  int32_t iStatus = kTaskWaiting;
  std::shared_ptr<ProcessObject> process;  // never null
  TimeTickArray ticks;                     // running intervals for the remaining-time estimate
  // What the background probing found out about the source; never null.
  std::shared_ptr<SourceRecord> source = std::make_shared<SourceRecord>();
};

// Notices the end of a running task's run: a finished run makes the task
// done at 100 (or failed, keeping its progress) and closes its running
// interval. Returns whether the state changed. Only the refresh calls it. UI
// thread, under the list's lock.
bool NoticeRunEnd(FileObject& task);

// A running task's progress from its run's figures: current/total frames as
// a percentage cut to two decimals and kept within 0..100 (unknown or zero
// totals and non-finite figures give 0). Other states give their stored
// progress. Changes nothing.
double ProgressOf(const FileObject& task);

// NoticeRunEnd, then stores ProgressOf as the task's progress and returns it.
// UI thread.
double ComputeProgress(FileObject& task);

// A new identity text: "{XXXXXXXX-XXXX-xxxx-XXXX-XXXXXXXXXXXX}", 38
// characters, the third group in lower-case hex. Retries a failing generator;
// if the system never supplies random bytes it falls back to bits from the
// clock and a process-wide counter, so identities stay unique. Any thread.
std::wstring MakeGuidText();

}  // namespace cw
