// Rendering benchmark: the views and JSON of 1,000 tasks, as every refresh of
// the page renders the whole list (waiting, running and paused tasks mixed).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "catalog/device_catalog.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tasks/file_object.h"
#include "tasks/task_view.h"

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

// The build folder's catalog, read once as the program reads its own.
const cw::DeviceCatalog& Catalog() {
  static const cw::DeviceCatalog* catalog = [] {
    auto* read = new cw::DeviceCatalog;
    std::vector<std::wstring> messages;
    cw::ReadCatalog(cw::SystemToWide(CW_BUILD_DIR "/data.dat"), read, &messages);
    return read;
  }();
  return *catalog;
}

// The views of 1,000 tasks rendered one by one: the rendering work of one refresh.
void BM_ViewsAndJsonThousandTasks(benchmark::State& state) {
  auto tasks = MakeTasks(1000);
  for (auto _ : state) {
    for (const auto& task : tasks) {
      std::wstring json = cw::RenderTaskJson(cw::ViewOfTask(*task, Catalog()));
      benchmark::DoNotOptimize(json);
    }
  }
}
BENCHMARK(BM_ViewsAndJsonThousandTasks)->Unit(benchmark::kMillisecond);

// The same, joined into the one array text handed to the page.
void BM_ListTextThousandTasks(benchmark::State& state) {
  auto tasks = MakeTasks(1000);
  size_t chars = 0;
  for (auto _ : state) {
    std::vector<cw::TaskView> views;
    views.reserve(tasks.size());
    for (const auto& task : tasks) views.push_back(cw::ViewOfTask(*task, Catalog()));
    std::wstring list = cw::RenderTasksJson(views);
    chars = list.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["chars"] = static_cast<double>(chars);
}
BENCHMARK(BM_ListTextThousandTasks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
