// The queue's refresh: ended runs are noticed before anything else, and the
// views carry what the displays show.
#include <gtest/gtest.h>

#include "catalog/device_catalog.h"
#include "json/json_value.h"
#include "settings/config_object.h"
#include "tasks/task_manager.h"
#include "tasks/task_view.h"

namespace cw {
namespace {

std::shared_ptr<FileObject> AddTask(TaskManager& list, const std::wstring& name, int32_t status) {
  auto task = std::make_shared<FileObject>();
  task->fileName = name;
  task->fromPath = L"/in/" + name;
  task->toPath = L"/out/" + name;
  task->guid = L"{" + name + L"}";
  task->iStatus = status;
  list.AddTask(task);
  return task;
}

TEST(QueueRefreshTest, NoticesEndedRunsAndCopiesFigures) {
  DeviceCatalog catalog;
  ConfigObject settings(L"", L"");
  TaskManager list(settings, catalog, nullptr);
  auto ok = AddTask(list, L"ok.avi", kTaskRunning);
  ok->process->finished = 1;
  auto bad = AddTask(list, L"bad.avi", kTaskRunning);
  bad->process->totalFrames = 200;
  bad->process->currentFrame = 50;
  bad->process->sizeKB = 2048;
  AddTask(list, L"later.avi", kTaskWaiting);

  std::vector<TaskView> first = list.RefreshQueue(TaskManager::Scheduling::kHold);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].status, kTaskDone);
  EXPECT_EQ(first[0].progress, 100.0);
  EXPECT_EQ(ok->iStatus, kTaskDone);  // the list itself took the change
  EXPECT_EQ(first[1].status, kTaskRunning);
  EXPECT_EQ(first[1].progress, 25.0);
  EXPECT_EQ(first[1].size, L"\u2248 2 M");
  EXPECT_EQ(first[1].fromPath, L"/in/bad.avi");
  EXPECT_EQ(first[1].toPath, L"/out/bad.avi");
  EXPECT_EQ(first[1].guid, L"{bad.avi}");
  EXPECT_EQ(first[2].status, kTaskWaiting);
  EXPECT_EQ(first[2].remaining, L"...");
  EXPECT_EQ(first[2].size, L"...");
  QueueCounts counts = CountTasks(first);
  EXPECT_EQ(counts.done, 1);
  EXPECT_EQ(counts.running, 1);
  EXPECT_EQ(counts.waiting, 1);
  EXPECT_FALSE(counts.settled());

  // A failed run keeps the progress it had.
  bad->process->failed = 1;
  bad->process->finished = 1;
  std::vector<TaskView> second = list.RefreshQueue(TaskManager::Scheduling::kHold);
  EXPECT_EQ(second[1].status, kTaskFailed);
  EXPECT_EQ(second[1].progress, 25.0);
}

TEST(QueueRefreshTest, TaskJsonEscapesEveryTextSoANameCannotAddMembers) {
  const std::wstring names[] = {L"a\",\"fromPath\": 1.avi", L"b\\\"", L"x\",\"iStatus\": 4,\"", L"line\nbreak",
                                L"<script>alert(1)</script>"};
  for (const std::wstring& name : names) {
    TaskView view;
    view.fileName = name;
    view.fromPath = L"/in/" + name;
    view.guid = L"{G}";
    std::wstring json = RenderTasksJson({view, view});
    // Two tasks with all their members, whose texts read back unchanged.
    JsonValue list = JsonValue::Parse(json);
    ASSERT_EQ(list.GetCount(), 2) << json;
    for (const JsonValue& task : list) {
      EXPECT_EQ(task.GetCount(), 13) << json;  // the ten of every task, then failReason, failDetails, stalled
      EXPECT_EQ(task.Find(L"fileName")->AsString(), name);
      EXPECT_EQ(task.Find(L"fromPath")->AsString(), L"/in/" + name);
      EXPECT_EQ(task.Find(L"iStatus")->AsInt64(), kTaskWaiting);
    }
    EXPECT_EQ(json.find(L'\n'), std::wstring::npos) << json;
  }
}

}  // namespace
}  // namespace cw
