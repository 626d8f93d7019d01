// The run of clipwright-cli.
#include "cli/cli_run.h"

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <map>
#include <mutex>
#include <thread>

#include "catalog/device_catalog.h"
#include "cli/cli_options.h"
#include "cli/device_choice.h"
#include "cli/input_files.h"
#include "cli/live_display.h"
#include "cli/plain_log.h"
#include "cli/summary.h"
#include "cli/task_snapshot.h"
#include "cli/text_fit.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/process.h"
#include "platform/stop_signals.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "settings/config_location.h"
#include "settings/config_object.h"
#include "settings/setting_checks.h"
#include "tasks/encoder_runner.h"
#include "tasks/host_hooks.h"
#include "tasks/output_naming.h"
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
  std::string bytes = "clipwright-cli: " + WideToSystem(PrintableText(text)) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

int UsageError(const std::wstring& text) {
  WriteErr(text);
  WriteErr(L"try 'clipwright-cli --help'");
  return kExitUsage;
}

// Shows progress on a terminal (live frames) or as plain lines.
class Progress {
 public:
  explicit Progress(bool terminal) : terminal_(terminal) {}

  void Show(const std::vector<TaskView>& tasks, std::vector<std::wstring> messages, bool force) {
    if (!terminal_) {
      for (const auto& m : messages) WriteErr(m);
      std::string out;
      for (const auto& line : plain_.Update(tasks)) out += WideToSystem(line) + "\n";
      if (!out.empty()) WriteOut(out);
      return;
    }
    auto now = Clock::now();
    if (!force && messages.empty() && now - last_redraw_ < kMinRedrawGap) return;
    last_redraw_ = now;
    TerminalSize size = StandardOutputSize();
    std::vector<std::wstring> frame = FormatFrame(tasks, size.columns, size.rows);
    std::string out;
    for (const auto& m : messages) out += display_.PrintAbove(L"clipwright-cli: " + PrintableText(m), frame);
    if (messages.empty()) out = display_.Redraw(frame);
    WriteOut(out);
  }

  void Finish() {
    if (terminal_) WriteOut(display_.Finish());
  }

 private:
  bool terminal_;
  LiveDisplay display_;
  PlainLog plain_;
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
    if (!problem.empty()) return L"--output " + SystemToWide(*options.output) + L" cannot be used: " + problem;
    config.outputDir = folder;
  }
  if (options.jobs) config.conTasks = *options.jobs;
  if (config.conTasks < 1) config.conTasks = 1;  // a saved 0 would never start anything
  config.needShutdown = 0;                       // a command line never shuts the computer down
  return std::wstring();
}

// The encoder output of every failed task; a failed run's output is final.
std::map<std::wstring, std::wstring> FailureLogs(TaskManager& list) {
  std::lock_guard<std::mutex> hold(list.lock);
  std::map<std::wstring, std::wstring> logs;
  for (const auto& task : list.tasks) {
    if (task->iStatus == kTaskFailed && task->process->finished.load() != 0) logs[task->guid] = task->process->log;
  }
  return logs;
}

void WaitForWorkers() {
  for (int i = 0; i < 1000 && ActiveWorkerCount() > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Drives the queue until nothing is left to do or a stop is requested.
// Returns the stop signal's number, or 0.
int DriveQueue(TaskManager& list, Wakeups& wakeups, Progress& progress, std::vector<TaskView>* last) {
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
    *last = list.RefreshQueue();
    bool settled = CountTasks(*last).settled();
    progress.Show(*last, TakeMessages(wakeups), settled);
    if (settled) return 0;
  }
}

// Stops every encoder after a stop request and reports what was finished.
int StopRun(int stop_signal, TaskManager& list, Progress& progress, Wakeups& wakeups) {
  RunOutcome outcome;
  outcome.tasks = list.RefreshQueue(TaskManager::Scheduling::kHold);
  list.StopAllTasks();  // kills the encoders, waits for them, deletes partial outputs
  WaitForWorkers();
  outcome.stopped = true;
  outcome.stop_reason = L"Interrupted (" + StopSignalName(stop_signal) + L")";
  for (auto& task : outcome.tasks) {
    if (task.status == kTaskDone || task.status == kTaskFailed) continue;
    task.status = kTaskStopped;
    if (!task.toPath.empty() && FileExists(task.toPath)) outcome.partial_files_left.push_back(task.toPath);
  }
  outcome.failure_logs = FailureLogs(list);
  progress.Show(outcome.tasks, TakeMessages(wakeups), true);
  progress.Finish();
  WriteOut(WideToSystem(FormatSummary(outcome)));
  return ExitStatusForSignal(stop_signal);
}

int ListDevices(ConfigObject& config) {
  WriteOut(WideToSystem(DeviceListText(GetDeviceCatalog(), config.CurrentProfile())));
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

  ConfigObject& config = ConfigObject::Instance();
  GetDeviceCatalog();
  std::wstring refused = ApplyOverrides(options, config);
  for (const auto& m : TakeMessages(*wakeups)) WriteErr(m);
  if (!refused.empty()) return UsageError(refused);
  if (options.list_devices) return ListDevices(config);

  std::wstring problem = CheckProfile(GetDeviceCatalog(), config.CurrentProfile(),
                                      options.device ? L"--device" : L"config.ini",
                                      options.quality ? L"--quality" : L"config.ini");
  if (!problem.empty()) return UsageError(problem);
  InputFiles inputs = ExpandInputs(options.inputs, config);
  for (const auto& missing : inputs.missing) WriteErr(L"no such file or folder: " + missing);
  if (!inputs.missing.empty()) return kExitUsage;
  if (inputs.tasks.empty()) {
    WriteOut("Nothing to convert.\n");
    return kExitConverted;
  }
  if (!CreateDirectories(config.outputDir)) return UsageError(L"cannot create the output folder " + config.outputDir);

  SetRunEndedHook([wakeups] {
    std::lock_guard<std::mutex> hold(wakeups->mutex);
    wakeups->run_ended = true;
    wakeups->changed.notify_one();
  });
  // What a crash of an earlier run left in the output folder goes first.
  RemoveAbandonedPartials(config.outputDir);
  TaskManager& list = TaskManager::Instance();
  for (auto& task : inputs.tasks) list.AddTask(std::move(task));
  Progress progress(StandardOutputIsTerminal());
  std::vector<TaskView> last = list.RefreshQueue();
  progress.Show(last, TakeMessages(*wakeups), true);
  int stop_signal = DriveQueue(list, *wakeups, progress, &last);
  int status = 0;
  if (stop_signal != 0) {
    status = StopRun(stop_signal, list, progress, *wakeups);
  } else {
    progress.Finish();
    WaitForWorkers();
    RunOutcome outcome;
    outcome.tasks = last;
    outcome.failure_logs = FailureLogs(list);
    WriteOut(WideToSystem(FormatSummary(outcome)));
    status = CountTasks(last).failed > 0 ? kExitFailed : kExitConverted;
  }
  SetRunEndedHook(nullptr);
  if (options.cpu_times) ReportCpuTimes();
  return status;
}

}  // namespace cw::cli
