// The queue journal under load: 1,000 queued tasks and a change of state
// every 10 ms for 10 s, journaled as the window journals a command: the
// writer is told of the change, and the queue's views are built (a copy of
// the whole list, as the task list's refresh makes) and handed over only
// when it wants them, at once or when it asks after a burst. Reports the
// writes per second, the bytes per write and the UI thread's time spent for
// the journal per second of load (as wall time and as the thread's processor
// time; the rendering and the synced write run on the writer's thread). The
// journal lives in a temporary folder that is removed afterwards.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/cpu_time.h"
#include "platform/text.h"
#include "tasks/queue_journal_writer.h"

namespace cw {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<TaskView> QueuedViews(int count) {
  std::vector<TaskView> views(count);
  for (int i = 0; i < count; ++i) {
    TaskView& v = views[i];
    v.guid = L"{0123ABCD-4567-89ab-CDEF-" + std::to_wstring(100000000000LL + i) + L"}";
    v.fromPath = L"/home/someone/Videos/holiday 2024/clip number " + std::to_wstring(i) + L".mov";
    v.fileName = L"clip number " + std::to_wstring(i) + L".mov";
    v.targetDevice = L"4";
    v.outputQuality = L"Normal";
    v.status = kTaskWaiting;
  }
  return views;
}

void BM_JournalUnderLoad(benchmark::State& state) {
  const int tasks = 1000;
  const auto period = std::chrono::milliseconds(10);
  const auto duration = std::chrono::seconds(10);
  std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                 ("cw-journal-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  std::wstring path = SystemToWide((folder / "queue.json").string());
  for (auto _ : state) {
    std::vector<TaskView> views = QueuedViews(tasks);
    Clock::duration ui_time{};
    double ui_cpu = 0;
    QueueJournalWriter::Stats stats;
    auto start = Clock::now();
    {
      std::atomic<bool> asked{false};
      QueueJournalWriter writer(path, std::chrono::milliseconds(250), QueueJournalWriter::RealFileOps(),
                                [&asked] { asked = true; });
      const std::wstring settings_dir = L"/home/someone/Videos/Clipwright";
      int step = 0;
      for (auto next = start; next - start < duration; next += period, ++step) {
        std::this_thread::sleep_until(next);
        // One task changes state: starts, is paused, resumes, finishes.
        TaskView& v = views[step % tasks];
        v.status = v.status == kTaskWaiting ? kTaskRunning : v.status == kTaskRunning ? kTaskPaused : kTaskWaiting;
        if (v.status == kTaskRunning) v.toPath = L"/home/someone/Videos/Clipwright/" + v.fileName + L".mp4";
        auto before = Clock::now();
        double cpu_before = ThreadCpuSeconds();
        // The command's journaling, then the writer's request if it came
        // (the window runs it from its loop).
        if (!writer.NoteIfQuiet()) writer.Observe(std::vector<TaskView>(views), settings_dir);
        if (asked.exchange(false)) writer.Observe(std::vector<TaskView>(views), settings_dir);
        ui_cpu += ThreadCpuSeconds() - cpu_before;
        ui_time += Clock::now() - before;
      }
      stats = writer.stats();
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["writes_per_s"] = static_cast<double>(stats.writes) / seconds;
    state.counters["bytes_per_write"] = stats.writes ? static_cast<double>(stats.bytes) / stats.writes : 0;
    // Wall time includes waits for a processor on a busy machine; the
    // thread's processor time is the work itself.
    state.counters["ui_ms_per_s"] = std::chrono::duration<double, std::milli>(ui_time).count() / seconds;
    state.counters["ui_cpu_ms_per_s"] = ui_cpu * 1000 / seconds;
    state.counters["failures"] = static_cast<double>(stats.failures);
    state.counters["compared_per_s"] = static_cast<double>(stats.compared) / seconds;
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalUnderLoad)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace cw

BENCHMARK_MAIN();
