// The task list: the tasks in the order they were added, the commands the
// page and the drivers apply to them, the scheduler and the one refresh.
// Made by the engine (tasks/engine.h) with the settings, the device catalog
// and the message sink it reads and tells; it reaches no process-wide object.
//
// Threads: every operation runs on the UI thread (the driver's thread). Each
// public operation takes the list's lock for its whole run; the lock is not
// re-entrant, so no operation calls another one that takes it. Worker threads
// never take it: they write only their own run record (ProcessObject).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message.h"
#include "tasks/file_object.h"
#include "tasks/task_view.h"

namespace cw {

class ConfigObject;    // settings/config_object.h
struct DeviceCatalog;  // catalog/device_catalog.h
class ProbePool;       // media/probe_pool.h

class TaskManager {
 public:
  // An empty list over `settings` (conTasks, outputDir, needShutdown and
  // the profile ids) and `catalog` (the runs' profiles, the devices' names),
  // both of which must outlive it. `messages` tells the user what went wrong
  // (a profile missing, an encoder that cannot start or be paused); it is
  // called on the UI thread and, for a run's own failures, on its worker
  // thread, so the host must pass such messages on to its UI thread.
  TaskManager(ConfigObject& settings, const DeviceCatalog& catalog, MessageSink messages);
  TaskManager(const TaskManager&) = delete;
  TaskManager& operator=(const TaskManager&) = delete;

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
  // The tasks in list order, shared; their fields may be read on the UI
  // thread only. Takes the lock.
  std::vector<std::shared_ptr<FileObject>> Snapshot();
  // The whole encoder output of every failed task whose run has ended (its
  // record is final), by identity. Takes the lock.
  std::map<std::wstring, std::wstring> FailureLogs();

 private:
  // Run by the operations above while they hold the lock.
  void ScheduleLocked();
  void StartTask(FileObject& task);
  // Ends a task that cannot start (no output name can be reserved) failed.
  void FailWithoutRun(FileObject& task, const std::wstring& reason);
  void SendBackOne();

  std::mutex lock_;
  std::vector<std::shared_ptr<FileObject>> tasks_;  // in the order they were added
  ConfigObject& settings_;
  const DeviceCatalog& catalog_;
  MessageSink messages_;
};

}  // namespace cw
