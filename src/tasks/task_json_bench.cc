// Rendering benchmark: the JSON of 1,000 tasks, as every refresh of the page
// renders the whole list (waiting, running and paused tasks mixed).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "catalog/device_catalog.h"
#include "platform/message.h"
#include "platform/paths.h"
#include "tasks/file_object.h"

namespace {

std::vector<std::shared_ptr<cw::FileObject>> MakeTasks(int count) {
  std::vector<std::shared_ptr<cw::FileObject>> tasks;
  for (int i = 0; i < count; ++i) {
    auto task = std::make_shared<cw::FileObject>();
    task->fromPath = L"/home/user/Videos/holiday/clip " + std::to_wstring(i) + L".avi";
    task->fileName = cw::FileNameOfPath(task->fromPath);
    task->guid = cw::MakeGuidText();
    task->targetDevice = std::to_wstring(1 + i % 8);
    task->outputQuality = L"Normal";
    if (i % 3 != 0) {
      task->toPath = L"/home/user/Videos/Clipwright/clip " + std::to_wstring(i) + L".mp4";
      task->ticks.AddTick();
      task->iStatus = i % 3 == 1 ? cw::kTaskRunning : cw::kTaskPaused;
      task->process->totalFrames = 45000;
      task->process->currentFrame = 37.0 * i;
      task->process->sizeKB = 1024.0 * i;
    }
    tasks.push_back(std::move(task));
  }
  return tasks;
}

void Prepare() {
  cw::SetMessageSink([](const std::wstring&) {});
  cw::GetDeviceCatalog();  // loaded once at start-up in the program too
}

// ToJson of each of 1,000 tasks: the rendering work of one refresh.
void BM_ToJsonThousandTasks(benchmark::State& state) {
  Prepare();
  auto tasks = MakeTasks(1000);
  for (auto _ : state) {
    for (const auto& task : tasks) {
      std::wstring json = task->ToJson();
      benchmark::DoNotOptimize(json);
    }
  }
}
BENCHMARK(BM_ToJsonThousandTasks)->Unit(benchmark::kMillisecond);

// The same, joined into the one array text handed to the page.
void BM_ListTextThousandTasks(benchmark::State& state) {
  Prepare();
  auto tasks = MakeTasks(1000);
  size_t chars = 0;
  for (auto _ : state) {
    std::wstring list;
    list.reserve(chars);
    list += L'[';
    for (size_t i = 0; i < tasks.size(); ++i) {
      if (i) list += L',';
      list += tasks[i]->ToJson();
    }
    list += L']';
    chars = list.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["chars"] = static_cast<double>(chars);
}
BENCHMARK(BM_ListTextThousandTasks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
