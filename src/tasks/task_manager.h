// The one process-wide task list: product texts, the list's lock and the tasks.
//
// Threads: every operation runs on the UI thread. Each public operation takes
// `lock` for its whole run; the lock is not re-entrant, so no operation may
// call another one that takes it. Worker threads never take it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tasks/file_object.h"
#include "tasks/task_view.h"

namespace cw {

class ConfigObject;  // settings/config_object.h
class ProbePool;     // media/probe_pool.h

class TaskManager {
 public:
  // The process-wide object, created on first call and never destroyed.
  static TaskManager& Instance();

  // A separate, empty list (tests make their own).
  TaskManager();
  TaskManager(const TaskManager&) = delete;
  TaskManager& operator=(const TaskManager&) = delete;

  // Product texts from the catalog, for the window title and the About box.
  // Written once at start-up (LoadCatalogIntoTaskManager), then only read;
  // read and written without the lock, on the UI thread.
  std::wstring productName;
  std::wstring version;

  std::mutex lock;
  std::vector<std::shared_ptr<FileObject>> tasks;  // in the order they were added

  // The settings the commands and the scheduler read (conTasks, outputDir,
  // needShutdown and the profile ids); null means ConfigObject::Instance().
  // Tests and tools may point it at their own object before the first use.
  ConfigObject* settings = nullptr;

  // Where added sources are probed (facts and thumbnails); null: not probed.
  // The desktop program sets it before the first task is added.
  ProbePool* prober = nullptr;

  // Appends a task at the end of the list; the list shares its ownership from
  // now on, and queues its source for probing when `prober` is set. Takes the lock.
  void AddTask(std::shared_ptr<FileObject> task);

  // Number of tasks in any state. Takes the lock.
  int32_t GetTaskCount();

  // Task commands and the scheduler (each takes the lock). Identities are
  // compared without regard to ASCII case except by FindTask.
  void ResumeTask(const std::wstring& guid);
  void PauseTask(const std::wstring& guid);
  bool DeleteTask(const std::wstring& guid);
  bool DeleteFinishedTask(const std::wstring& guid);
  void ScheduleTasks();
  // The task JSON rendered task by task with FileObject::ToJson, which
  // notices ended runs one rendering late. Drivers use RefreshQueue instead.
  std::wstring GetTasksJson();

  // One refresh of the queue, the heartbeat of every driver (the window's
  // tick and its wake-up after a run's end, the command line, cwdiag):
  // notices ended runs, so their slots are free and their intervals closed;
  // then, unless told to hold, schedules as ScheduleTasks does; and returns
  // the view of every task in list order, from which the task JSON and the
  // displays are rendered. Takes the lock.
  enum class Scheduling { kStart, kHold };
  std::vector<TaskView> RefreshQueue(Scheduling scheduling = Scheduling::kStart);
  void StopAllTasks();
  // The last task whose identity equals `guid` exactly, or null.
  std::shared_ptr<FileObject> FindTask(const std::wstring& guid);

 private:
  // Run by the operations above while they hold the lock.
  void ScheduleLocked();
  void StartTask(FileObject& task);
  // Ends a task that cannot start (no output name can be reserved) failed.
  void FailWithoutRun(FileObject& task, const std::wstring& reason);
  void SendBackOne();
  ConfigObject& Settings();
};

// Loads the device catalog (if not loaded yet) and copies its product name and
// version into TaskManager::Instance(). Called once by the start-up of the
// main window (and by tools) on the UI thread; the catalog's own messages are
// shown on the way.
void LoadCatalogIntoTaskManager();

}  // namespace cw
