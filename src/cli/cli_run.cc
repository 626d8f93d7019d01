// The run of clipwright-cli.
#include "cli/cli_run.h"

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "cli/cli_options.h"
#include "cli/device_choice.h"
#include "cli/event_log.h"
#include "cli/input_files.h"
#include "cli/live_display.h"
#include "cli/output_check.h"
#include "cli/plain_log.h"
#include "cli/summary.h"
#include "cli/task_snapshot.h"
#include "cli/text_fit.h"
#include "media/probe_pool.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/process.h"
#include "platform/stop_signals.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "platform/translate.h"
#include "settings/config_location.h"
#include "settings/config_object.h"
#include "settings/setting_checks.h"
#include "tasks/encoder_runner.h"
#include "tasks/host_hooks.h"
#include "tasks/output_naming.h"
#include "tasks/engine.h"
#include "tasks/task_manager.h"

namespace cw::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollPeriod = std::chrono::milliseconds(500);
constexpr auto kMinRedrawGap = std::chrono::milliseconds(250);  // at most four redraws a second

// What wakes the loop: the end of an encoder run, a stop request, a message.
// Shared with the hooks, which may outlive the loop by a moment.
struct Wakeups {
  std::mutex mutex;
  std::condition_variable changed;
  bool run_ended = false;
  int stop_signal = 0;
  std::vector<std::wstring> messages;
};

void WriteOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void WriteErr(const std::wstring& text) {
  std::string bytes;
  for (const auto& line : MessageLines(L"clipwright-cli: ", text)) bytes += WideToSystem(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

int UsageError(const std::wstring& text) {
  WriteErr(text);
  WriteErr(Tr(L"try 'clipwright-cli --help'"));
  return kExitUsage;
}

// Shows progress on a terminal (live frames), as plain lines, or as JSON
// event lines (--events).
class Progress {
 public:
  enum class Mode { kTerminal, kPlain, kEvents };
  Progress(Mode mode, EventLog::ReasonOf reason_of) : mode_(mode), events_(std::move(reason_of)) {}

  bool events() const { return mode_ == Mode::kEvents; }

  void Show(const std::vector<TaskView>& tasks, std::vector<std::wstring> messages, bool force) {
    if (mode_ == Mode::kEvents) {
      for (const auto& m : messages) WriteErr(m);
      WriteLines(events_.Update(tasks, ElapsedMs()));
      return;
    }
    if (mode_ == Mode::kPlain) {
      for (const auto& m : messages) WriteErr(m);
      WriteLines(plain_.Update(tasks));
      return;
    }
    auto now = Clock::now();
    if (!force && messages.empty() && now - last_redraw_ < kMinRedrawGap) return;
    last_redraw_ = now;
    TerminalSize size = StandardOutputSize();
    std::vector<std::wstring> frame = FormatFrame(tasks, size.columns, size.rows);
    std::string out;
    for (const auto& m : messages) {
      for (const auto& line : MessageLines(L"clipwright-cli: ", m)) out += display_.PrintAbove(line, frame);
    }
    if (messages.empty()) out = display_.Redraw(frame);
    WriteOut(out);
  }

  void Skipped(const std::wstring& source, const std::wstring& output, const std::wstring& reason) {
    if (mode_ == Mode::kEvents) WriteLines({events_.Skipped(source, output, reason, ElapsedMs())});
  }

  void Finish() {
    if (mode_ == Mode::kTerminal) WriteOut(display_.Finish());
  }

  // The closing report: on standard output, or with --events on standard
  // error followed by the summary event.
  void Report(const RunOutcome& outcome, const std::wstring& shard, const std::wstring& stop_signal) {
    std::string text = WideToSystem(FormatSummary(outcome));
    if (mode_ != Mode::kEvents) {
      WriteOut(text);
      return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    QueueCounts counts = CountTasks(outcome.tasks);
    EventLog::Totals totals;
    totals.total = counts.total();
    totals.converted = counts.done;
    totals.failed = counts.failed;
    totals.stopped = counts.stopped;
    totals.skipped = outcome.skipped;
    totals.shard = shard;
    totals.stop_signal = stop_signal;
    WriteLines({events_.Summary(totals, ElapsedMs())});
  }

 private:
  static void WriteLines(const std::vector<std::wstring>& lines) {
    std::string out;
    for (const auto& line : lines) out += WideToSystem(line) + "\n";
    if (!out.empty()) WriteOut(out);
  }
  int64_t ElapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began_).count();
  }

  Mode mode_;
  LiveDisplay display_;
  PlainLog plain_;
  EventLog events_;
  Clock::time_point began_ = Clock::now();
  Clock::time_point last_redraw_{};
};

std::vector<std::wstring> TakeMessages(Wakeups& wakeups) {
  std::lock_guard<std::mutex> hold(wakeups.mutex);
  std::vector<std::wstring> taken;
  taken.swap(wakeups.messages);
  return taken;
}

// The settings for this run: the saved ones with the command line's
// overrides, never saved. Returns why --output cannot be used, or "".
std::wstring ApplyOverrides(const CliOptions& options, ConfigObject& config) {
  if (options.device) config.targetDevice = SystemToWide(*options.device);
  if (options.quality) config.outputQuality = SystemToWide(*options.quality);
  if (options.output) {
    std::wstring folder = AbsolutePath(*options.output);
    std::wstring problem = OutputFolderProblem(folder);
    if (!problem.empty()) return Fill(Tr(L"--output %1 cannot be used: %2"), {SystemToWide(*options.output), problem});
    config.outputDir = folder;
  }
  if (options.jobs) config.conTasks = *options.jobs;
  if (config.conTasks < 1) config.conTasks = 1;  // a saved 0 would never start anything
  config.needShutdown = 0;                       // a command line never shuts the computer down
  return std::wstring();
}

void WaitForWorkers() {
  for (int i = 0; i < 1000 && ActiveWorkerCount() > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Drives the queue until nothing is left to do or a stop is requested.
// Returns the stop signal's number, or 0.
int DriveQueue(Engine& engine, Wakeups& wakeups, Progress& progress, std::vector<TaskView>* last) {
  for (;;) {
    int stop_signal = 0;
    {
      std::unique_lock<std::mutex> hold(wakeups.mutex);
      wakeups.changed.wait_for(hold, kPollPeriod, [&] {
        return wakeups.run_ended || wakeups.stop_signal != 0 || !wakeups.messages.empty();
      });
      wakeups.run_ended = false;
      stop_signal = wakeups.stop_signal;
    }
    if (stop_signal != 0) return stop_signal;
    *last = engine.Refresh();
    bool settled = CountTasks(*last).settled();
    progress.Show(*last, TakeMessages(wakeups), settled);
    if (settled) return 0;
  }
}

// Stops every encoder after a stop request and reports what was finished.
int StopRun(int stop_signal, Engine& engine, Progress& progress, Wakeups& wakeups, RunOutcome outcome,
            const std::wstring& shard) {
  outcome.tasks = engine.Refresh(TaskManager::Scheduling::kHold);
  engine.tasks.StopAllTasks();  // kills the encoders, waits for them, deletes partial outputs
  WaitForWorkers();
  outcome.stopped = true;
  outcome.stop_reason = Fill(Tr(L"Interrupted (%1)"), {StopSignalName(stop_signal)});
  for (auto& task : outcome.tasks) {
    if (task.status == kTaskDone || task.status == kTaskFailed) continue;
    task.status = kTaskStopped;
    if (!task.toPath.empty() && FileExists(task.toPath)) outcome.partial_files_left.push_back(task.toPath);
  }
  outcome.failure_logs = engine.tasks.FailureLogs();
  progress.Show(outcome.tasks, TakeMessages(wakeups), true);
  progress.Finish();
  progress.Report(outcome, shard, StopSignalName(stop_signal));
  return ExitStatusForSignal(stop_signal);
}

// Why a failed task failed: the runner's reason, else the last line its
// encoder printed.
std::wstring FailureReasonOf(TaskManager& list, const TaskView& task) {
  if (!task.failureReason.empty()) return task.failureReason;
  std::map<std::wstring, std::wstring> logs = list.FailureLogs();
  auto log = logs.find(task.guid);
  std::vector<std::wstring> lines = log == logs.end() ? std::vector<std::wstring>{} : LastLines(log->second, 1);
  return lines.empty() ? L"the encoder failed and printed nothing" : lines.back();
}

// Keeps this shard's part of the expanded list (--shard) and sets aside the
// sources whose output is already complete (--skip-existing). Returns why the
// list cannot be sharded, or "".
std::wstring ChooseShardAndSkip(const CliOptions& options, const ConfigObject& config, Wakeups& wakeups,
                                InputFiles* inputs) {
  std::vector<std::shared_ptr<FileObject>>& all = inputs->tasks;
  size_t first = 0, second = 0;
  if (options.shard_count > 1 && FindSharedOutputName(all, config.outputDir, &first, &second)) {
    return Fill(Tr(L"--shard cannot share out %1 and %2: both would be converted to %3, and shards cannot agree "
                    "which one gets the numbered name; rename one of them"),
                {all[first]->fromPath, all[second]->fromPath, PlannedOutputs({all[first]}, config.outputDir)[0]});
  }
  std::vector<std::wstring> planned = PlannedOutputs(all, config.outputDir);
  std::vector<std::shared_ptr<FileObject>> kept;
  const std::wstring probe = options.skip_existing ? ProbeProgramPath() : L"";
  for (size_t i : ShardPositions(all.size(), options.shard_index, options.shard_count)) {
    if (options.skip_existing && FileExists(planned[i])) {
      OutputCheck check = CheckCompleteOutput(planned[i], all[i]->fromPath, probe);
      if (check.complete) {
        inputs->skipped.push_back({all[i]->fromPath, planned[i], L"its output is complete"});
        continue;
      }
      // An empty file holds nothing to keep: the new output takes its name
      // instead of a numbered one beside it.
      if (RegularFileSize(planned[i]) == 0) DeleteFile(planned[i]);
      std::lock_guard<std::mutex> hold(wakeups.mutex);
      wakeups.messages.push_back(
          Fill(Tr(L"%1 is not complete (%2): converting %3 again"), {planned[i], check.reason, all[i]->fromPath}));
    }
    kept.push_back(all[i]);
  }
  all.swap(kept);
  return L"";
}

int ListDevices(const Engine& engine) {
  WriteOut(WideToSystem(DeviceListText(engine.catalog, engine.settings.CurrentProfile())));
  return kExitConverted;
}

std::string Seconds(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  return std::string(buffer, result.ptr);
}

void ReportCpuTimes() {
  CpuTimes cpu = ProcessCpuTimes();
  std::string text = "clipwright-cli: cpu " + Seconds(cpu.self_seconds) + " s, encoders " +
                     Seconds(cpu.children_seconds) + " s\n";
  std::fputs(text.c_str(), stderr);
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
  ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) return UsageError(SystemToWide(parsed.error));
  const CliOptions& options = parsed.options;
  if (options.help) {
    WriteOut(HelpText());
    return kExitConverted;
  }

  auto wakeups = std::make_shared<Wakeups>();
  SetMessageSink([wakeups](const std::wstring& text) {
    std::lock_guard<std::mutex> hold(wakeups->mutex);
    wakeups->messages.push_back(text);
    wakeups->changed.notify_one();
  });
  // Catch stop requests before any encoder or worker exists.
  WatchStopSignals([wakeups](int signal_number) {
    std::lock_guard<std::mutex> hold(wakeups->mutex);
    wakeups->stop_signal = signal_number;
    wakeups->changed.notify_one();
  });

  // The engine: the catalog and the settings this run uses; what they must
  // tell the user goes where the other messages go.
  const MessageSink tell = [](const std::wstring& text) { ShowMessage(text); };
  DeviceCatalog catalog;
  std::vector<std::wstring> catalog_messages;
  ReadCatalog(CatalogFilePath(), &catalog, &catalog_messages);
  ConfigObject config(ConfigFilePath(), DefaultOutputDir(), catalog, tell);
  config.Load();
  for (const auto& m : catalog_messages) tell(m);
  Engine engine(config, catalog, tell);
  std::wstring refused = ApplyOverrides(options, config);
  for (const auto& m : TakeMessages(*wakeups)) WriteErr(m);
  if (catalog.devices.empty()) {
    // Nothing can be listed or converted; the settings are not to blame.
    WriteErr(Fill(Tr(L"the device catalog %1 cannot be read (it is missing or damaged); reinstall the program"),
                  {CatalogFilePath()}));
    return kExitFailed;
  }
  if (!refused.empty()) return UsageError(refused);
  if (options.list_devices) return ListDevices(engine);

  std::wstring problem = CheckProfile(catalog, config.CurrentProfile(),
                                      options.device ? L"--device" : L"config.ini",
                                      options.quality ? L"--quality" : L"config.ini");
  if (!problem.empty()) return UsageError(problem);
  ExpandOptions expand;
  expand.recursive = options.recursive;
  InputFiles inputs = ExpandInputs(options.inputs, config, expand);
  for (const auto& missing : inputs.missing) WriteErr(Fill(Tr(L"no such file or folder: %1"), {missing}));
  for (const auto& refused : inputs.refused) {
    WriteErr(Fill(Tr(L"cannot convert %1: %2"), {refused.path, refused.reason}));
  }
  if (!inputs.missing.empty() || !inputs.refused.empty()) return kExitUsage;
  for (const auto& left : inputs.left_out) WriteErr(Fill(Tr(L"left out %1: %2"), {left.path, left.reason}));
  // Something asked for cannot be converted: the run cannot end as "all converted".
  const int all_converted = inputs.left_out.empty() ? kExitConverted : kExitFailed;
  std::wstring refused_list = ChooseShardAndSkip(options, config, *wakeups, &inputs);
  if (!refused_list.empty()) return UsageError(refused_list);

  TaskManager& list = engine.tasks;
  Progress progress(options.events              ? Progress::Mode::kEvents
                    : StandardOutputIsTerminal() ? Progress::Mode::kTerminal
                                                 : Progress::Mode::kPlain,
                    [&list](const TaskView& task) { return FailureReasonOf(list, task); });
  const std::wstring shard = std::to_wstring(options.shard_index) + L"/" + std::to_wstring(options.shard_count);
  RunOutcome skipped_only;
  skipped_only.skipped = static_cast<int>(inputs.skipped.size());
  for (const auto& skip : inputs.skipped) progress.Skipped(skip.source, skip.output, skip.reason);
  if (inputs.tasks.empty()) {
    if (skipped_only.skipped == 0 && !progress.events()) {
      WriteOut(TrUtf8(L"Nothing to convert.") + "\n");
    } else {
      progress.Report(skipped_only, shard, L"");
    }
    if (options.cpu_times) ReportCpuTimes();
    return all_converted;
  }
  if (!CreateDirectories(config.outputDir)) {
    return UsageError(Fill(Tr(L"cannot create the output folder %1"), {config.outputDir}));
  }

  SetRunEndedHook([wakeups] {
    std::lock_guard<std::mutex> hold(wakeups->mutex);
    wakeups->run_ended = true;
    wakeups->changed.notify_one();
  });
  // What a crash of an earlier run left in the folders this run writes to
  // (the subfolders of --recursive among them) goes first.
  std::set<std::wstring> folders = {config.outputDir};
  for (const auto& task : inputs.tasks) {
    if (!task->outputDir.empty()) folders.insert(task->outputDir);
  }
  for (const auto& folder : folders) RemoveAbandonedPartials(folder);
  // Sources are probed as they are added, so each run finds what it needs
  // to know of its source ready (facts only: no window shows thumbnails).
  ProbeTools facts_only;
  facts_only.thumbnails = false;
  static ProbePool prober{facts_only, 2};
  list.prober = &prober;
  for (auto& task : inputs.tasks) list.AddTask(std::move(task));
  std::vector<TaskView> last = engine.Refresh();
  progress.Show(last, TakeMessages(*wakeups), true);
  int stop_signal = DriveQueue(engine, *wakeups, progress, &last);
  int status = 0;
  if (stop_signal != 0) {
    status = StopRun(stop_signal, engine, progress, *wakeups, skipped_only, shard);
  } else {
    progress.Finish();
    WaitForWorkers();
    RunOutcome outcome = skipped_only;
    outcome.tasks = last;
    outcome.failure_logs = list.FailureLogs();
    progress.Report(outcome, shard, L"");
    status = CountTasks(last).failed > 0 ? kExitFailed : all_converted;
  }
  SetRunEndedHook(nullptr);
  if (options.cpu_times) ReportCpuTimes();
  return status;
}

}  // namespace cw::cli
