// The task list object: creation, appending and counting tasks.
#include "tasks/task_manager.h"

#include "catalog/device_catalog.h"
#include "media/probe_pool.h"

namespace cw {

TaskManager& TaskManager::Instance() {
  // Never destroyed: detached workers may still read their run records while
  // the process exits.
  static TaskManager* instance = new TaskManager();
  return *instance;
}

TaskManager::TaskManager() = default;

void TaskManager::AddTask(std::shared_ptr<FileObject> task) {
  std::lock_guard<std::mutex> hold(lock);
  if (prober != nullptr) prober->Enqueue(task->fromPath, task->source);  // takes only the pool's own lock
  tasks.push_back(std::move(task));
}

int32_t TaskManager::GetTaskCount() {
  std::lock_guard<std::mutex> hold(lock);
  return static_cast<int32_t>(tasks.size());
}

void LoadCatalogIntoTaskManager() {
  const DeviceCatalog& catalog = GetDeviceCatalog();
  TaskManager& list = TaskManager::Instance();
  list.productName = catalog.product_name;
  list.version = catalog.version;
}

}  // namespace cw
