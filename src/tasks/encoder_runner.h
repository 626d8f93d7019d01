// The encoder runs: one worker thread per started task that creates the
// encoder process, reads and parses its output into the run record and marks
// the run finished (or failed) when the encoder has ended; and the controls
// the task list applies to a run: freeze, continue, stop.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalog/device_catalog.h"
#include "platform/message.h"
#include "platform/process.h"
#include "platform/translate.h"
#include "tasks/file_object.h"

namespace cw {

inline constexpr wchar_t kCreatePipeFailedMessage[] = N_(L"CreatePipe Failed!");
inline constexpr wchar_t kEncoderStartFailedMessage[] = N_(L"Program encounter problem, please reinstall it.");
inline constexpr wchar_t kSuspendFailedMessage[] = N_(L"Failed to capture!");
inline constexpr wchar_t kResumeFailedMessage[] = N_(L"Failed to capture!!");

// Failure reasons the runner gives besides the output check's and the log's
// (%1: the exit status, the signal's number, the encoder's path).
inline constexpr wchar_t kNoProfileReason[] = N_(L"the device catalog has no profile for this device and quality");
inline constexpr wchar_t kRunStoppedReason[] = N_(L"the conversion was stopped");
inline constexpr wchar_t kEncoderExitReason[] = N_(L"the encoder failed (exit status %1)");
inline constexpr wchar_t kEncoderSignalReason[] = N_(L"the encoder was ended by signal %1");
inline constexpr wchar_t kNoPipeReason[] = N_(L"no pipe to the encoder could be made");
inline constexpr wchar_t kEncoderNotStartedReason[] = N_(L"the encoder could not be started: %1");
inline constexpr wchar_t kOutputNotNamedReason[] = N_(L"the output could not be given its name in its folder");
inline constexpr wchar_t kOutputFolderReason[] = N_(L"the output folder cannot be written: %1");
// A source that changed after it was added is waited for until it holds
// still; one that changed while it was converted gave a part of itself.
inline constexpr wchar_t kSourceStillWrittenReason[] =
    N_(L"the source is still being written (it kept changing for %1 s); convert it once it is complete");
inline constexpr wchar_t kSourceChangedReason[] =
    N_(L"the source changed while it was converted (is it still being written?); convert it again once it is complete");

// How long a source that changed since it was added must hold still before
// it is converted, and how long it is waited for at most. Tests shorten them.
struct SourceWaitTimes {
  int quiet_ms = 3000;
  int limit_ms = 5 * 60 * 1000;
};
void SetSourceWaitTimesForTesting(const SourceWaitTimes& times);

// The runner's hold on one run's process. Requests made before the process
// exists are kept and applied when it is created: a frozen run's process
// starts frozen, a stopped run's process is never created. Thread-safe.
class EncoderControl {
 public:
  enum class Launch { kStarted, kStopped, kNoPipe, kNoProgram };

  // UI thread. Freeze and Continue return false only when a living process
  // could not be signalled.
  bool Freeze();
  bool Continue();
  // No process is created after this; an existing one is killed. Returns the
  // process (null when there was none) so that the caller can wait for it.
  std::shared_ptr<ChildProcess> RequestStop();

  // Worker thread: creates the process from `argv` unless a stop was asked
  // for, frozen at once if a freeze was asked for.
  Launch Start(const std::vector<std::wstring>& argv, std::shared_ptr<ChildProcess>* child);
  // Worker thread: runs `publish` (which gives the output its final name and
  // returns it, or "") unless a stop was asked for; returns its result, ""
  // when stopped. A stop and a publication exclude each other: once
  // RequestStop has returned, published() tells for good whether the run
  // gave its output its name.
  std::wstring PublishUnlessStopped(const std::function<std::wstring()>& publish);
  // Worker thread: deletes the failed run's partial output at `path`, unless
  // a stop was asked for (the stopper deletes it after the process ended, and
  // the name may then already belong to a new task).
  void DeleteOutputUnlessStopped(const std::wstring& path);
  // Worker thread, once the run's processes have been reaped: lets go of
  // them, so their descriptors (output pipe, process handle) close now
  // rather than when the task is deleted. A later stop finds no process.
  void ReleaseProcesses();

  bool frozen() const;
  bool stopped() const;    // a stop was asked for
  bool published() const;  // PublishUnlessStopped gave the output its name

 private:
  Launch StartLocked(const std::vector<std::wstring>& argv, std::shared_ptr<ChildProcess>* child);

  mutable std::mutex mutex_;
  std::shared_ptr<ChildProcess> child_;
  bool frozen_ = false;
  bool stop_requested_ = false;
  bool published_ = false;
};

// True once the task's run has begun (StartWorker ran), whether or not its
// process exists yet.
bool HasEncoderRun(const ProcessObject& process);

// Begins the run of a task's first start: copies the run's profile out of
// `catalog` into the record (when the catalog has none it tells `messages`
// kQualityNotFoundMessage and kNoProfileMessage, and the run fails), keeps
// `messages` for the worker, creates the run's control and a detached worker
// thread running RunEncoder, which shares the record, so the record outlives
// a deleted task for as long as the worker needs it. Returns at once. UI
// thread, with the task list's lock held; inputPath, outputPath, targetDevice
// and outputQuality must be set before.
void StartWorker(const std::shared_ptr<ProcessObject>& process, const DeviceCatalog& catalog,
                 const MessageSink& messages);

// The worker's whole body. Creates the encoder (its failure tells the run's
// `messages` kCreatePipeFailedMessage or kEncoderStartFailedMessage), then until the
// encoder ends: drains its output whenever there is some (the encoder never
// waits on a full pipe), appends it to `log` (bounded: its top and newest
// lines) and parses the figures a few times a second. A profile with device
// constraints first waits (a bounded time) for the source's facts from its
// probe. A run succeeds only when the encoder exited 0, the log shows a
// video source and the output is complete (CompleteOutputProblem, against
// the source's span from its probe, else from the log's listing); a run
// with a `finalPath` then gives its output (written under the partial name
// `outputPath`) its final name without replacing anything (publishedPath).
// Otherwise it fails with a reason (failureReason) and its file is deleted.
// A device and quality without a profile fail before any encoder starts.
// Then sets `failed` and `finished`, releases the name reservation and calls
// the run-ended hook. Returns -1 when no pipe could be made, else 0.
int RunEncoder(ProcessObject& process);

// Freeze / continue the run's encoder (also before it exists). Told to the
// run's `messages`: kSuspendFailedMessage, kResumeFailedMessage. UI thread.
void SuspendProcessThreads(ProcessObject& process);
void ResumeProcessThreads(ProcessObject& process);

// Stops the task's run: no encoder is created any more, an existing one is
// killed and waited for (12 waits of 500 ms); once it has ended (or when there
// was none) its partial file is deleted (the file at toPath for a run never
// begun). A run that has already given its output its final name has ended:
// its output is kept, whatever the caller believed of it. An encoder still
// alive after the waits leaves the file. No message. UI thread.
void StopEncoder(FileObject& task);

// Worker threads that have not yet returned. For tests and orderly ends.
int ActiveWorkerCount();

}  // namespace cw
