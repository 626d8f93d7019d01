// The engine services that the window's host logic uses: the task list and
// its scheduler, the settings and the device catalog. The desktop program
// hands the host the real engine (MakeRealHostEngine); tests hand it a fake.
// UI thread only, like everything the host does.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tasks/task_view.h"

namespace cw {

class HostEngine {
 public:
  virtual ~HostEngine() = default;

  // Task list and scheduler. RefreshQueue is the queue's one refresh
  // (TaskManager::RefreshQueue): ended runs noticed, tasks scheduled, and
  // the views with the task JSON rendered from them.
  struct RefreshedQueue {
    std::vector<TaskView> tasks;
    std::wstring json;
    std::wstring queueEstimate;  // the whole queue's remaining time for the status bar; "" unknown
    double queueSeconds = -1;    // the same in seconds; -1 unknown
  };
  virtual RefreshedQueue RefreshQueue() = 0;
  virtual int GetTaskCount() = 0;
  virtual void StopAllTasks() = 0;
  virtual bool DeleteTask(const std::wstring& guid) = 0;          // case-insensitive id
  virtual bool DeleteFinishedTask(const std::wstring& guid) = 0;  // may open the countdown
  virtual void PauseTask(const std::wstring& guid) = 0;
  virtual void ResumeTask(const std::wstring& guid) = 0;
  // The output path of the task whose id equals `guid` exactly (case counts),
  // or nothing when there is no such task.
  virtual std::optional<std::wstring> OutputPathOfTask(const std::wstring& guid) = 0;

  // Settings.
  virtual std::wstring GetConfigJson() = 0;
  virtual void SetConfigFromJson(const std::wstring& text) = 0;
  virtual void SaveConfig() = 0;

  // Catalog, read by the program's main at start-up. TakeCatalogMessages
  // gives what that read must tell the user (a missing or broken data.dat),
  // once: later calls give nothing.
  virtual std::vector<std::wstring> TakeCatalogMessages() = 0;
  virtual std::wstring GetCatalogText() = 0;
  virtual std::wstring ProductName() = 0;
  virtual std::wstring ProductVersion() = 0;
};

class Engine;  // tasks/engine.h

// The host's services over the program's engine, which must outlive them;
// `catalog_messages` are the messages of the catalog's read at start-up.
std::unique_ptr<HostEngine> MakeRealHostEngine(Engine& engine, std::vector<std::wstring> catalog_messages);

}  // namespace cw
