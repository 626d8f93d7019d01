// Host-side cost of one refresh tick with 1,000 queued tasks: scheduling,
// rendering the task list, and turning the element write and the page call
// into the scripts the window hands to the page (what the GTK window does
// before WebKit takes over). The program folder is the build folder, for the
// shipped catalog; nothing is written there, and no encoder starts (the
// limit of running tasks is 0).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "app/cvela_dlg.h"
#include "bridge/page_script.h"
#include "platform/files.h"
#include "platform/text.h"
#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "settings/config_object.h"
#include "tasks/engine.h"

namespace cw {
namespace {

// A window whose page primitives build the same scripts as the real one.
class ScriptingWindow : public Window {
 public:
  size_t script_bytes = 0;
  void SetEvents(WindowEvents*) override {}
  void SetTitle(const std::wstring&) override {}
  bool SetIconFromFile(const std::wstring&) override { return true; }
  void Navigate(const std::wstring&) override {}
  void StartTimer(int, int) override {}
  void SetElementText(const std::wstring& id, const std::wstring& text) override {
    script_bytes += BuildApplyOpsScript({{PageOp::Kind::kSetText, id, text}}).size();
  }
  std::wstring GetElementText(const std::wstring&) override { return L""; }
  void SetElementData(const std::wstring& id, const std::wstring& key, const std::wstring& value) override {
    script_bytes += BuildApplyOpsScript({{PageOp::Kind::kSetData, id, value, key}}).size();
  }
  void CallPageFunction(const std::wstring& name) override {
    script_bytes += BuildApplyOpsScript({{PageOp::Kind::kCall, name, L""}}).size();
  }
  void ShowMessageBox(const std::wstring&) override {}
  bool AskYesNo(const std::wstring&) override { return false; }
  DialogResult RunModal() override { return DialogResult::kCancel; }
  void EndDialog(DialogResult) override {}
};

// The benchmark's engine over the build folder's catalog, made once.
Engine& BenchEngine() {
  static Engine* engine = [] {
    SetProgramFolderForTesting(SystemToWide(CW_BUILD_DIR "/"));
    auto* catalog = new DeviceCatalog;
    std::vector<std::wstring> messages;
    ReadCatalog(CatalogFilePath(), catalog, &messages);
    auto* settings = new ConfigObject(L"", L"", *catalog, nullptr);
    settings->ApplyDefaults();
    settings->conTasks = 0;
    return new Engine(*settings, *catalog, nullptr);
  }();
  return *engine;
}

void QueueTasks(int count) {
  static bool ready = false;
  if (ready) return;
  ready = true;
  for (int i = 0; i < count; ++i) {
    auto task = std::make_shared<FileObject>();
    wchar_t guid[64];
    std::swprintf(guid, 64, L"{%08X-58B2-4c7d-A1E4-0F9B2D3C4E5F}", i);
    task->guid = guid;
    task->fileName = L"holiday clip " + std::to_wstring(i) + L" & friends.avi";
    task->fromPath = L"/home/user/Videos/2024/" + task->fileName;
    task->targetDevice = L"2";
    task->outputQuality = L"Normal";
    if (i % 4 == 1) task->iStatus = kTaskPaused;
    BenchEngine().tasks.AddTask(task);
  }
}

void BM_TickWith1000Tasks(benchmark::State& state) {
  QueueTasks(1000);
  std::unique_ptr<HostEngine> engine = MakeRealHostEngine(BenchEngine(), {});
  ScriptingWindow window;
  CvelaDlg dialog(window, *engine);
  for (auto _ : state) {
    dialog.OnTimer(CvelaDlg::kRefreshTimerId);
  }
  state.counters["script_bytes_per_tick"] =
      benchmark::Counter(static_cast<double>(window.script_bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_TickWith1000Tasks)->Unit(benchmark::kMillisecond);

void BM_RefreshAndRender1000Tasks(benchmark::State& state) {
  QueueTasks(1000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RenderTasksJson(BenchEngine().Refresh()));
  }
}
BENCHMARK(BM_RefreshAndRender1000Tasks)->Unit(benchmark::kMillisecond);

void BM_ScriptOnly1000Tasks(benchmark::State& state) {
  QueueTasks(1000);
  std::wstring json = RenderTasksJson(BenchEngine().Refresh());
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildApplyOpsScript({{PageOp::Kind::kSetText, kParmContainer, json}}));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(json.size()));
}
BENCHMARK(BM_ScriptOnly1000Tasks)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cw

BENCHMARK_MAIN();
