// The engine and the drivers' refresh.
#include "tasks/engine.h"

#include "catalog/device_catalog.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {

Engine::Engine(ConfigObject& settings_in, const DeviceCatalog& catalog_in, MessageSink messages)
    : settings(settings_in),
      catalog(catalog_in),
      tasks(settings_in, catalog_in, messages),
      messages_(messages ? std::move(messages) : [](const std::wstring&) {}) {}

std::vector<TaskView> Engine::Refresh(TaskManager::Scheduling scheduling) {
  std::vector<TaskView> views = tasks.RefreshQueue(scheduling);
  for (const TaskView& view : views) {
    if (!view.deviceMissing) continue;
    bool told = false;
    for (const std::wstring& id : reported_devices_) told = told || AsciiCaseCompare(id, view.targetDevice) == 0;
    if (told) continue;
    reported_devices_.push_back(view.targetDevice);
    Tell(Tr(kDeviceNotFoundMessage));
  }
  return views;
}

}  // namespace cw
