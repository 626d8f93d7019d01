// The host's engine services backed by the process-wide task list, settings
// object and device catalog.
#include "bridge/host_engine.h"

#include "analysis/queue_estimate.h"
#include "catalog/device_catalog.h"
#include "settings/config_object.h"
#include "tasks/queue_summary.h"
#include "tasks/task_manager.h"

namespace cw {
namespace {

class RealHostEngine : public HostEngine {
 public:
  RefreshedQueue RefreshQueue() override {
    RefreshedQueue refreshed;
    refreshed.tasks = Tasks().RefreshQueue();
    refreshed.json = RenderTasksJson(refreshed.tasks);  // rendered without the list's lock
    // Refined from refresh to refresh by the steady clock's seconds.
    refreshed.queueSeconds = queue_estimator_.Update(QueueFactsOf(refreshed.tasks), ConfigObject::Instance().conTasks,
                                                     static_cast<double>(SteadyMilliseconds()) / 1000.0);
    refreshed.queueEstimate = QueueEstimateText(refreshed.queueSeconds);
    return refreshed;
  }
  int GetTaskCount() override { return Tasks().GetTaskCount(); }
  void StopAllTasks() override { Tasks().StopAllTasks(); }
  bool DeleteTask(const std::wstring& guid) override { return Tasks().DeleteTask(guid); }
  bool DeleteFinishedTask(const std::wstring& guid) override { return Tasks().DeleteFinishedTask(guid); }
  void PauseTask(const std::wstring& guid) override { Tasks().PauseTask(guid); }
  void ResumeTask(const std::wstring& guid) override { Tasks().ResumeTask(guid); }
  std::optional<std::wstring> OutputPathOfTask(const std::wstring& guid) override {
    std::shared_ptr<FileObject> task = Tasks().FindTask(guid);
    if (!task) return std::nullopt;
    return task->toPath;  // read on the UI thread, the only one that changes it
  }

  std::wstring GetConfigJson() override { return ConfigObject::Instance().ToJson(); }
  void SetConfigFromJson(const std::wstring& text) override { ConfigObject::Instance().FromJson(text); }
  void SaveConfig() override { ConfigObject::Instance().Save(); }

  void LoadCatalog() override { LoadCatalogIntoTaskManager(); }
  std::wstring GetCatalogText() override { return cw::GetCatalogText(); }
  std::wstring ProductName() override { return Tasks().productName; }
  std::wstring ProductVersion() override { return Tasks().version; }

 private:
  static TaskManager& Tasks() { return TaskManager::Instance(); }
  QueueEstimator queue_estimator_;
};

}  // namespace

std::unique_ptr<HostEngine> MakeRealHostEngine() { return std::make_unique<RealHostEngine>(); }

}  // namespace cw
