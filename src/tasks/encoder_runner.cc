// The encoder runner: worker threads and the process controls.
#include "tasks/encoder_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string_view>
#include <thread>

#include "analysis/decimal_text.h"
#include "analysis/log_window.h"
#include "analysis/progress_parser.h"
#include "analysis/run_verdict.h"
#include "analysis/size_track.h"
#include "catalog/device_catalog.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tasks/command_line.h"
#include "tasks/host_hooks.h"
#include "tasks/output_check.h"
#include "tasks/task_view.h"
#include "tasks/output_naming.h"
#include "platform/translate.h"

namespace cw {
namespace {

constexpr int kParsePeriodMs = 250;  // figures are parsed at most this often
constexpr int kFinalReads = 256;     // reads of what is left once the encoder ended
constexpr int kStopWaits = 12;       // the waits for a killed encoder ...
constexpr int kStopWaitMs = 500;     // ... each this long
// Encoders run a little below the program's processor priority (on Windows:
// below normal), as batch work: on an idle machine they convert as fast,
// while the window, the desktop and the probes of newly added files keep
// answering when the encoders take every processor.
constexpr int kEncoderNiceness = 5;

std::atomic<int> active_workers{0};

std::atomic<int> source_quiet_ms{SourceWaitTimes().quiet_ms};
std::atomic<int> source_limit_ms{SourceWaitTimes().limit_ms};

// The length of the longest prefix of `bytes` that does not end inside a
// UTF-8 sequence, so that a character cut by the end of a read is converted
// whole with the next read.
size_t CompleteUtf8Length(std::string_view bytes) {
  size_t n = bytes.size();
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    unsigned char c = static_cast<unsigned char>(bytes[n - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    size_t length = c >= 0xF0 && c <= 0xF7 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back ? n - back : n;
  }
  return n;
}

// Converts the complete characters of `pending` + `chunk` into the log and
// keeps a cut character's first bytes in `pending`. The log keeps only what
// the parsers read (its top and its newest lines). It is only read and
// shown, never handed back to the system: bytes that are not UTF-8 (a file
// name among them) become U+FFFD.
void AppendOutput(ProcessObject& run, std::string* pending, const std::string& chunk) {
  *pending += chunk;
  size_t complete = CompleteUtf8Length(*pending);
  run.log += SystemToWideReplacing(std::string_view(*pending).substr(0, complete));
  pending->erase(0, complete);
  KeepLogBounded(&run.log);
  run.lastOutputMs.store(SteadyMilliseconds());
}

void StoreFigures(ProcessObject& run, const ProgressFigures& figures, double total_frames) {
  run.durationMs.store(figures.duration_ms);
  run.totalFrames.store(total_frames);
  run.currentFrame.store(figures.current_frame);
  run.sizeKB.store(figures.size_kb);
}

void StoreWritten(ProcessObject& run, const SizeObservation& written) {
  run.writtenKB.store(written.writtenKB);
  run.lastUnwrittenFrame.store(written.lastUnwrittenFrame);
  run.firstWrittenFrame.store(written.firstWrittenFrame);
  run.recentKBPerFrame.store(written.recentKBPerFrame);
}

// Frames a second of the output: its frames over the source's duration;
// 0 while either is unknown.
double OutputFrameRate(double total_frames, int32_t duration_ms) {
  return total_frames > 0 && duration_ms > 0 ? total_frames * 1000.0 / duration_ms : 0;
}

// Reads until the output ends. The pipe is drained whenever it has data, so
// the encoder never waits on a full pipe for us; the figures are parsed at
// most every kParsePeriodMs, and once more at the end. Once the encoder has
// ended only a bounded number of reads follows: something it left behind
// may hold the pipe open and go on writing. `max_frame_rate` (0: none) is the
// cap the command line puts on the output's rate: the frames the encoder
// counts are the output's, so the total is the capped one.
void ReadUntilEnd(ProcessObject& run, ChildProcess& child, double max_frame_rate) {
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::milliseconds(kParsePeriodMs);
  ProgressFigures figures;
  std::string pending, chunk;
  double source_total = -1, output_total = -1;
  std::optional<SizeTrack> written;  // made once the output's frame rate is known
  auto parse = [&] {
    RefreshProgressFigures(run.log, &figures);
    if (figures.total_frames != source_total) {
      source_total = figures.total_frames;
      output_total = CapTotalFrames(source_total, run.log, max_frame_rate);
    }
    StoreFigures(run, figures, output_total);
    if (!written && (output_total > 0 || figures.current_frame > 0)) {
      written.emplace(OutputFrameRate(output_total, figures.duration_ms));
    }
    if (written) {
      written->Add(figures.current_frame, figures.written_kb);
      StoreWritten(run, written->observation());
    }
  };
  Clock::time_point next_parse = Clock::now();
  bool unparsed = false;
  int reads_after_end = 0;
  for (;;) {
    int wait_ms = -1;  // nothing to parse: wait for output as long as it takes
    if (unparsed) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next_parse - Clock::now()).count();
      wait_ms = left > 0 ? static_cast<int>(left) : 0;
    }
    ChildProcess::ReadResult result = child.ReadOutputWithin(&chunk, wait_ms);
    if (result == ChildProcess::ReadResult::kClosed) break;
    if (result == ChildProcess::ReadResult::kData) {
      AppendOutput(run, &pending, chunk);
      unparsed = true;
      if (child.WaitForEnd(0) && ++reads_after_end > kFinalReads) break;
    }
    if (unparsed && Clock::now() >= next_parse) {
      parse();
      unparsed = false;
      next_parse = Clock::now() + period;
    }
  }
  if (!pending.empty()) run.log += SystemToWideReplacing(pending);
  parse();
}

// How long a run with device constraints waits for its source's facts from
// the probing begun when the file was added (which takes this file first
// once a run waits for it): a little more than one probe's own limit. The
// conversion goes on without the facts after it.
constexpr int kFactsWaitMs = 12000;

// What a profile with device constraints needs to know of the source: its
// picture subtitle tracks (DVD, Blu-ray, DVB), which MP4 text subtitles
// cannot be made from, whether its picture is HDR, and its size and video
// rate (for the ceiling of a profile with a quality) and when it was taken,
// from the probe of the
// source. Nothing when it failed or is not there in time: the conversion
// then finds out.
SourceTraits TraitsOf(ProcessObject& run) {
  if (!run.source) return {};
  SourceRecord::Snapshot known = run.source->WaitForFacts(kFactsWaitMs);
  if (known.state != SourceRecord::State::kDone) return {};
  return SourceTraits{known.facts.pictureSubtitles, known.facts.hdrTransfer, known.facts.width, known.facts.height,
                      known.facts.videoKbit, known.facts.creationTime};
}

// The seconds the source spans from its probe; -1 when not yet known (the
// run's log then tells).
int32_t ProbedSpanMs(const ProcessObject& run) {
  if (!run.source) return -1;
  SourceRecord::Snapshot known = run.source->Read();
  const double seconds = known.state == SourceRecord::State::kDone ? SpanSeconds(known.facts) : -1;
  return seconds >= 0 && seconds < 1e6 ? static_cast<int32_t>(seconds * 1000 + 0.5) : -1;
}

// A source that changed since it was added is probably still being copied
// or recorded: waits until it has held still for a while, at most a limit.
// Its stamp from then into *stamp. A failure reason, or "" (a stop asked for
// meanwhile ends the wait too: the encoder's start then sees it).
std::wstring WaitForStillSource(const ProcessObject& run, const EncoderControl& control, FileStamp* stamp) {
  using Clock = std::chrono::steady_clock;
  *stamp = StampOfFile(run.inputPath);
  if (run.sourceAtAdd.size < 0 || *stamp == run.sourceAtAdd) return L"";
  const Clock::time_point begun = Clock::now();
  Clock::time_point still_since = begun;
  while (!control.stopped()) {
    if (Clock::now() - still_since >= std::chrono::milliseconds(source_quiet_ms.load())) return L"";
    if (Clock::now() - begun >= std::chrono::milliseconds(source_limit_ms.load())) {
      return Fill(kSourceStillWrittenReason, {std::to_wstring(source_limit_ms.load() / 1000)});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(100, source_quiet_ms.load())));
    FileStamp now = StampOfFile(run.inputPath);
    if (now != *stamp) {
      *stamp = now;
      still_since = Clock::now();
    }
  }
  return L"";
}

// Ends the run: failed when `reason` is not empty. The reason is written
// before `failed` and `finished`, so a reader that sees the end sees it too.
void EndRun(ProcessObject& run, const std::wstring& reason) {
  bool failed = !reason.empty();
  run.failureReason = reason;
  run.reservation.reset();  // the name is free for others again, or taken by the output
  // A finished task stays in the list: its ended processes must not keep
  // their descriptors open there, or a long batch runs out of them.
  if (run.control) run.control->ReleaseProcesses();
  run.failed.store(failed ? 1 : 0);  // before `finished`: its readers rely on that
  run.finished.store(1);
  NotifyRunEnded();
}

}  // namespace

bool EncoderControl::Freeze() {
  std::lock_guard<std::mutex> hold(mutex_);
  frozen_ = true;
  return !child_ || child_->Suspend();
}

bool EncoderControl::Continue() {
  std::lock_guard<std::mutex> hold(mutex_);
  frozen_ = false;
  return !child_ || child_->Resume();
}

std::shared_ptr<ChildProcess> EncoderControl::RequestStop() {
  std::lock_guard<std::mutex> hold(mutex_);
  stop_requested_ = true;
  if (child_) child_->Kill();
  return child_;
}

EncoderControl::Launch EncoderControl::Start(const std::vector<std::wstring>& argv,
                                             std::shared_ptr<ChildProcess>* child) {
  std::lock_guard<std::mutex> hold(mutex_);
  Launch launch = StartLocked(argv, child);
  if (launch == Launch::kStarted && frozen_) child_->Suspend();
  return launch;
}

// Under mutex_: creates the process unless a stop was asked for.
EncoderControl::Launch EncoderControl::StartLocked(const std::vector<std::wstring>& argv,
                                                   std::shared_ptr<ChildProcess>* child) {
  if (stop_requested_) return Launch::kStopped;
  ChildProcess::StartError error;
  std::unique_ptr<ChildProcess> started = ChildProcess::Start(argv, &error, kEncoderNiceness);
  if (!started) return error.no_pipe ? Launch::kNoPipe : Launch::kNoProgram;
  child_ = std::move(started);
  *child = child_;
  return Launch::kStarted;
}

bool EncoderControl::stopped() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return stop_requested_;
}

void EncoderControl::DeleteOutputUnlessStopped(const std::wstring& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!stop_requested_ && !path.empty() && FileExists(path)) DeleteFile(path);
}

std::wstring EncoderControl::PublishUnlessStopped(const std::function<std::wstring()>& publish) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (stop_requested_) return L"";
  std::wstring published = publish();
  published_ = !published.empty();
  return published;
}

bool EncoderControl::published() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return published_;
}

void EncoderControl::ReleaseProcesses() {
  std::lock_guard<std::mutex> hold(mutex_);
  child_.reset();
}

bool EncoderControl::frozen() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return frozen_;
}

bool HasEncoderRun(const ProcessObject& process) { return process.control != nullptr; }

void StartWorker(const std::shared_ptr<ProcessObject>& process, const DeviceCatalog& catalog,
                 const MessageSink& messages) {
  process->messages = messages;
  process->profile.reset();
  if (const FormatObject* format = FindQuality(catalog, process->targetDevice, process->outputQuality)) {
    process->profile = *format;
  } else {
    messages(Tr(kQualityNotFoundMessage));
    messages(Tr(kNoProfileMessage));
  }
  process->control = std::make_shared<EncoderControl>();
  active_workers.fetch_add(1);
  std::thread([process] {
    RunEncoder(*process);
    active_workers.fetch_sub(1);
  }).detach();
}

namespace {

// Why an encoder's end is a failure; "" for exit status 0.
std::wstring ExitReason(const ProcessExit& exit, bool stopped) {
  if (exit.SucceededNormally()) return L"";
  if (stopped) return kRunStoppedReason;
  if (exit.exited) return Fill(kEncoderExitReason, {std::to_wstring(exit.exit_code)});
  return Fill(kEncoderSignalReason, {std::to_wstring(exit.signal_number)});
}

// Why a run whose encoder has ended did not give what was asked for, or "".
// A failed encoder is blamed on the source only when the log says the source
// could not be used (no picture, a still image): an encoder ended by someone
// else or a full disk is not the source's fault. A successful exit counts
// only with a whole output as long as the source.
std::wstring RunProblem(ProcessObject& run, const ProcessExit& exit, bool stopped) {
  std::wstring reason = ExitReason(exit, stopped);
  if (!reason.empty()) {
    if (stopped) return reason;
    const std::wstring write_failure = WriteFailure(run.log);
    if (!write_failure.empty()) return write_failure;
    std::wstring verdict = RunVerdict(run.log);
    return verdict.empty() || verdict == kSourceUnreadableReason ? reason : verdict;
  }
  std::wstring verdict = RunVerdict(run.log);
  if (!verdict.empty()) return verdict;
  int32_t span_ms = ProbedSpanMs(run);
  if (span_ms < 0) span_ms = ListedSpanMs(run.log);
  return CompleteOutputProblem(run.outputPath, span_ms);
}

}  // namespace

int RunEncoder(ProcessObject& run) {
  if (!run.control) run.control = std::make_shared<EncoderControl>();
  EncoderControl& control = *run.control;
  run.processId.store(0);
  // Told where the worker has no sink of its own (a record begun without
  // StartWorker): nothing is shown.
  const MessageSink tell = run.messages ? run.messages : [](const std::wstring&) {};
  // No profile, no conversion: converting without the device's options
  // would make a file the device may not play. (StartWorker told the user.)
  const FormatObject* format = run.profile ? &*run.profile : nullptr;
  if (!format) {
    control.DeleteOutputUnlessStopped(run.outputPath);
    EndRun(run, kNoProfileReason);
    return 0;
  }
  // A profile with device constraints maps every subtitle track, so the
  // picture ones are left out; an HDR picture is tone mapped.
  FileStamp source_stamp;
  std::wstring unsettled = WaitForStillSource(run, control, &source_stamp);
  if (!unsettled.empty()) {
    control.DeleteOutputUnlessStopped(run.outputPath);
    EndRun(run, unsettled);
    return 0;
  }
  SourceTraits source;
  if (HasDeviceConstraints(*format)) source = TraitsOf(run);
  EncoderCommand command = BuildEncoderCommand(run, format, source);
  // A partial file's name says nothing of its container: say it.
  if (!run.outputPath.ends_with(L".mp4")) command.argv.insert(command.argv.end() - 1, {L"-f", L"mp4"});

  std::shared_ptr<ChildProcess> child;
  switch (control.Start(command.argv, &child)) {
    case EncoderControl::Launch::kStarted:
      break;
    case EncoderControl::Launch::kStopped:
      EndRun(run, kRunStoppedReason);
      return 0;
    case EncoderControl::Launch::kNoPipe:
      tell(Tr(kCreatePipeFailedMessage));
      control.DeleteOutputUnlessStopped(run.outputPath);
      EndRun(run, kNoPipeReason);
      return -1;
    case EncoderControl::Launch::kNoProgram:
      tell(Tr(kEncoderStartFailedMessage) + L"\n" + Fill(Tr(L"(encoder not found: %1)"), {command.argv[0]}));
      control.DeleteOutputUnlessStopped(run.outputPath);
      EndRun(run, Fill(kEncoderNotStartedReason, {command.argv[0]}));
      return 0;
  }
  run.processId.store(child->pid());
  run.lastOutputMs.store(SteadyMilliseconds());
  run.started.store(1);

  ReadUntilEnd(run, *child, format->maxFrameRate.empty() ? 0 : ReadDecimalDouble(format->maxFrameRate));
  ProcessExit exit = child->Reap();
  std::wstring reason = RunProblem(run, exit, control.stopped());
  // A source that grew (or was rewritten) meanwhile was read only in part.
  const FileStamp source_end = StampOfFile(run.inputPath);
  if (reason.empty() && source_end.size >= 0 && source_end != source_stamp) reason = kSourceChangedReason;
  // The output is dated like its source, so that galleries and photo
  // libraries file it under the day the clip was taken, not the day it was
  // converted. A file system that refuses keeps the conversion's date.
  if (reason.empty()) CopyModificationTime(run.inputPath, run.outputPath);
  if (reason.empty() && !run.finalPath.empty()) {
    std::wstring published = control.PublishUnlessStopped(
        [&run] { return PublishOutput(run.outputPath, run.finalPath, BaseNameOfPath(run.inputPath)); });
    if (published.empty()) {
      reason = control.stopped() ? kRunStoppedReason : kOutputNotNamedReason;
    } else {
      run.publishedPath = published;
    }
  }
  if (!reason.empty()) control.DeleteOutputUnlessStopped(run.outputPath);
  EndRun(run, reason);
  return 0;
}

void SuspendProcessThreads(ProcessObject& process) {
  if (process.control && !process.control->Freeze() && process.messages) process.messages(Tr(kSuspendFailedMessage));
}

void ResumeProcessThreads(ProcessObject& process) {
  if (process.control && !process.control->Continue() && process.messages) {
    process.messages(Tr(kResumeFailedMessage));
  }
}

void StopEncoder(FileObject& task) {
  ProcessObject& run = *task.process;
  if (run.control) {
    std::shared_ptr<ChildProcess> child = run.control->RequestStop();
    // The run ended with its output named before the stop: nothing of it is
    // partial, and the output is the user's (a row older than the run's end
    // still showed it running).
    if (run.control->published()) return;
    if (child) {
      bool ended = false;
      for (int i = 0; i < kStopWaits && !ended; ++i) ended = child->WaitForEnd(kStopWaitMs);
      if (!ended) return;  // still alive: its file stays
    }
  }
  // The run's file is the partial one (or, for a run started without a final
  // name, its output itself); a run never begun has only toPath.
  const std::wstring& path = run.outputPath.empty() ? task.toPath : run.outputPath;
  if (!path.empty() && FileExists(path)) DeleteFile(path);
}

int ActiveWorkerCount() { return active_workers.load(); }

void SetSourceWaitTimesForTesting(const SourceWaitTimes& times) {
  source_quiet_ms.store(times.quiet_ms);
  source_limit_ms.store(times.limit_ms);
}

}  // namespace cw
