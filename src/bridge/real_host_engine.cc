// The host's engine services backed by the program's engine: its task list,
// settings object and device catalog, handed in by the main.
#include "bridge/host_engine.h"

#include "analysis/queue_estimate.h"
#include "catalog/device_catalog.h"
#include "settings/config_object.h"
#include "tasks/engine.h"
#include "tasks/queue_summary.h"

namespace cw {
namespace {

class RealHostEngine : public HostEngine {
 public:
  RealHostEngine(Engine& engine, std::vector<std::wstring> catalog_messages)
      : engine_(engine), catalog_messages_(std::move(catalog_messages)) {}

  RefreshedQueue RefreshQueue() override {
    RefreshedQueue refreshed;
    refreshed.tasks = engine_.Refresh();
    refreshed.json = RenderTasksJson(refreshed.tasks);  // rendered without the list's lock
    // Refined from refresh to refresh by the steady clock's seconds.
    refreshed.queueSeconds = queue_estimator_.Update(QueueFactsOf(refreshed.tasks), engine_.settings.conTasks,
                                                     static_cast<double>(SteadyMilliseconds()) / 1000.0);
    refreshed.queueEstimate = QueueEstimateText(refreshed.queueSeconds);
    return refreshed;
  }
  int GetTaskCount() override { return engine_.tasks.GetTaskCount(); }
  void StopAllTasks() override { engine_.tasks.StopAllTasks(); }
  bool DeleteTask(const std::wstring& guid) override { return engine_.tasks.DeleteTask(guid); }
  bool DeleteFinishedTask(const std::wstring& guid) override { return engine_.tasks.DeleteFinishedTask(guid); }
  void PauseTask(const std::wstring& guid) override { engine_.tasks.PauseTask(guid); }
  void ResumeTask(const std::wstring& guid) override { engine_.tasks.ResumeTask(guid); }
  std::optional<std::wstring> OutputPathOfTask(const std::wstring& guid) override {
    std::shared_ptr<FileObject> task = engine_.tasks.FindTask(guid);
    if (!task) return std::nullopt;
    return task->toPath;  // read on the UI thread, the only one that changes it
  }

  std::wstring GetConfigJson() override { return engine_.settings.ToJson(); }
  void SetConfigFromJson(const std::wstring& text) override { engine_.settings.FromJson(text); }
  void SaveConfig() override { engine_.settings.Save(); }

  std::vector<std::wstring> TakeCatalogMessages() override { return std::move(catalog_messages_); }
  std::wstring GetCatalogText() override { return engine_.catalog.text; }
  std::wstring ProductName() override { return engine_.catalog.product_name; }
  std::wstring ProductVersion() override { return engine_.catalog.version; }

 private:
  Engine& engine_;
  std::vector<std::wstring> catalog_messages_;
  QueueEstimator queue_estimator_;
};

}  // namespace

std::unique_ptr<HostEngine> MakeRealHostEngine(Engine& engine, std::vector<std::wstring> catalog_messages) {
  return std::make_unique<RealHostEngine>(engine, std::move(catalog_messages));
}

}  // namespace cw
