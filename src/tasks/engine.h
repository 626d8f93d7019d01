// The engine: the task list with the settings, the device catalog and the
// message sink it works with. Each program's main makes one and hands it to
// what drives it (the window's host, the command line's loop, cwdiag), as
// nothing below the mains reaches for a process-wide object.
//
// Threads: made, used and destroyed on the UI thread (the driver's thread).
// The settings and the catalog belong to the main and must outlive the
// engine; the catalog is read-only, the settings are read and written on the
// UI thread only. The sink is called on the UI thread and on the encoder
// workers' threads (a run's own failures): the host passes what arrives on
// another thread on to its UI thread.
#pragma once

#include <string>
#include <vector>

#include "platform/message.h"
#include "tasks/task_manager.h"
#include "tasks/task_view.h"

namespace cw {

class ConfigObject;    // settings/config_object.h
struct DeviceCatalog;  // catalog/device_catalog.h

class Engine {
 public:
  Engine(ConfigObject& settings, const DeviceCatalog& catalog, MessageSink messages);
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  ConfigObject& settings;
  const DeviceCatalog& catalog;
  TaskManager tasks;

  // The drivers' refresh: TaskManager::RefreshQueue, then, once the list's
  // lock is free, what the views say the user must be told: a task whose
  // device the catalog lacks gives kDeviceNotFoundMessage once per id
  // (compared ignoring ASCII case) for the engine's life. UI thread.
  std::vector<TaskView> Refresh(TaskManager::Scheduling scheduling = TaskManager::Scheduling::kStart);

  // Tells the user `text` through the engine's sink. Any thread.
  void Tell(const std::wstring& text) const { messages_(text); }

 private:
  MessageSink messages_;
  std::vector<std::wstring> reported_devices_;  // ids already told missing
};

}  // namespace cw
