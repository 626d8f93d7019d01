// cwdiag queue [--dir PROGRAM_DIR] [--tick MS] FILE...: converts files with
// the real engine and no window. Loads the settings and the catalog of the
// program folder, queues every FILE as adding files does, then on every tick
// refreshes the queue (ended runs noticed, tasks scheduled) and prints the
// task list JSON on one line. The end of an encoder run wakes the loop for a
// refresh at once, as the window does.
// Standard input takes commands, one a line: pause GUID, resume GUID,
// delete GUID, deletefinished GUID, contasks N. Exits after the tick on which
// no task is waiting, running or paused: 0 when every remaining task is done,
// 1 when any failed. The processor time of this process and of its encoders
// goes to standard error at the end.
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "media/probe_pool.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"
#include "settings/config_location.h"
#include "settings/config_object.h"
#include "tasks/encoder_runner.h"
#include "tasks/host_hooks.h"
#include "tasks/output_naming.h"
#include "tasks/engine.h"
#include "tasks/task_factory.h"
#include "tasks/task_manager.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

constexpr int kDefaultTickMs = 2000;

int Usage() {
  std::fprintf(stderr, "usage: cwdiag queue [--dir PROGRAM_DIR] [--tick MS] FILE...\n");
  return 2;
}

// What wakes the loop between ticks: the end of a run, or a command line.
// Shared with the run-ended hook and the input reader, which may outlive the
// loop by a moment.
struct Wakeups {
  std::mutex mutex;
  std::condition_variable changed;
  bool run_ended = false;
  std::deque<std::string> commands;
};

void ReadCommands(std::shared_ptr<Wakeups> wakeups) {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::lock_guard<std::mutex> hold(wakeups->mutex);
    wakeups->commands.push_back(line);
    wakeups->changed.notify_one();
  }
}

bool ParseInt(const std::string& text, int* value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value);
  return result.ec == std::errc() && result.ptr == end;
}

void RunCommand(const std::string& line, TaskManager& list, ConfigObject& config) {
  size_t space = line.find(' ');
  std::string verb = line.substr(0, space);
  std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
  std::wstring guid = SystemToWide(argument);
  int number = 0;
  if (verb == "pause") {
    list.PauseTask(guid);
  } else if (verb == "resume") {
    list.ResumeTask(guid);
  } else if (verb == "delete") {
    list.DeleteTask(guid);
  } else if (verb == "deletefinished") {
    list.DeleteFinishedTask(guid);
  } else if (verb == "contasks" && ParseInt(argument, &number)) {
    config.conTasks = number;
  } else if (!line.empty()) {
    std::fprintf(stderr, "cwdiag queue: unknown command '%s'\n", line.c_str());
  }
}

// One refresh of the queue, its task JSON printed on one line. Returns the
// views.
std::vector<TaskView> RefreshAndPrint(Engine& engine) {
  std::vector<TaskView> views = engine.Refresh();
  std::printf("%s\n", WideToSystem(RenderTasksJson(views)).c_str());
  std::fflush(stdout);
  return views;
}

void AddFile(const std::string& file, TaskManager& list, ConfigObject& config) {
  list.AddTask(MakeSourceTask(MakeAbsolutePath(SystemToWide(file)), config));
}

std::string Seconds(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  return std::string(buffer, result.ptr);
}

// The loop of ticks and wake-ups; returns the exit status.
int Loop(Engine& engine, int tick_ms, const std::shared_ptr<Wakeups>& wakeups) {
  using Clock = std::chrono::steady_clock;
  auto next_tick = Clock::now() + std::chrono::milliseconds(tick_ms);
  for (;;) {
    bool run_ended = false;
    std::deque<std::string> commands;
    {
      std::unique_lock<std::mutex> hold(wakeups->mutex);
      wakeups->changed.wait_until(hold, next_tick,
                                  [&] { return wakeups->run_ended || !wakeups->commands.empty(); });
      run_ended = wakeups->run_ended;
      wakeups->run_ended = false;
      commands.swap(wakeups->commands);
    }
    for (const auto& command : commands) RunCommand(command, engine.tasks, engine.settings);
    bool ticked = Clock::now() >= next_tick;
    if (!run_ended && !ticked) continue;
    if (ticked) {
      while (next_tick <= Clock::now()) next_tick += std::chrono::milliseconds(tick_ms);
    }
    QueueCounts counts = CountTasks(RefreshAndPrint(engine));
    if (counts.settled()) return counts.failed > 0 ? 1 : 0;
  }
}

}  // namespace

int RunQueue(const Args& args) {
  std::optional<std::string> dir;
  int tick_ms = kDefaultTickMs;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size() && !dir) {
      dir = args[++i];
    } else if (args[i] == "--tick" && i + 1 < args.size()) {
      if (!ParseInt(args[++i], &tick_ms) || tick_ms <= 0) return Usage();
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage();
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty() || (dir && dir->empty())) return Usage();

  PrintMessagesToStdout();
  std::wstring config_path = ConfigFilePath();
  if (dir) {
    std::wstring folder = SystemToWide(*dir);
    if (folder.back() != L'/') folder += L'/';
    SetProgramFolderForTesting(folder);
    config_path = folder + L"config.ini";
  }
  // The engine over the program folder's catalog and settings; its messages
  // are printed like every other.
  const MessageSink tell = [](const std::wstring& text) { ShowMessage(text); };
  DeviceCatalog catalog;
  std::vector<std::wstring> catalog_messages;
  ReadCatalog(CatalogFilePath(), &catalog, &catalog_messages);
  ConfigObject config(config_path, DefaultOutputDir(), catalog, tell);
  config.Load();
  for (const auto& m : catalog_messages) tell(m);
  Engine engine(config, catalog, tell);
  TaskManager& list = engine.tasks;

  auto wakeups = std::make_shared<Wakeups>();
  HostHook previous = SetRunEndedHook([wakeups] {
    std::lock_guard<std::mutex> hold(wakeups->mutex);
    wakeups->run_ended = true;
    wakeups->changed.notify_one();
  });
  std::thread(ReadCommands, wakeups).detach();  // blocks on input; ends with the process

  RemoveAbandonedPartials(config.outputDir);
  // Sources are probed as they are added, as the other drivers do (facts only).
  ProbeTools facts_only;
  facts_only.thumbnails = false;
  static ProbePool prober{facts_only, 2};
  list.prober = &prober;
  for (const auto& file : files) AddFile(file, list, config);
  RefreshAndPrint(engine);
  int status = Loop(engine, tick_ms, wakeups);

  // Workers of deleted tasks may still be returning.
  for (int i = 0; i < 1000 && ActiveWorkerCount() > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  SetRunEndedHook(previous);
  CpuTimes cpu = ProcessCpuTimes();
  std::fprintf(stderr, "queue: engine cpu %s s, encoder cpu %s s\n", Seconds(cpu.self_seconds).c_str(),
               Seconds(cpu.children_seconds).c_str());
  return status;
}

}  // namespace cw::diag
