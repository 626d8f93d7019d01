// The task list copied for displays: ended runs are noticed, states counted.
#include "cli/task_snapshot.h"

#include <gtest/gtest.h>

namespace cw::cli {
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

TEST(TaskSnapshotTest, NoticesEndedRunsAndCopiesFigures) {
  TaskManager list;
  auto ok = AddTask(list, L"ok.avi", kTaskRunning);
  ok->process->finished = 1;
  auto bad = AddTask(list, L"bad.avi", kTaskRunning);
  bad->process->totalFrames = 200;
  bad->process->currentFrame = 50;
  bad->process->sizeKB = 2048;
  AddTask(list, L"later.avi", kTaskWaiting);

  std::vector<TaskView> first = SnapshotTasks(list);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].status, kTaskDone);
  EXPECT_EQ(first[0].progress, 100.0);
  EXPECT_EQ(ok->iStatus, kTaskDone);  // the list itself took the change, as a rendering does
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
  std::vector<TaskView> second = SnapshotTasks(list);
  EXPECT_EQ(second[1].status, kTaskFailed);
  EXPECT_EQ(second[1].progress, 25.0);
}

TEST(TaskSnapshotTest, CountsAndWords) {
  std::vector<TaskView> tasks(7);
  const int32_t states[] = {kTaskWaiting, kTaskRunning, kTaskPaused, kTaskDone, kTaskFailed, kTaskStopped, kTaskDone};
  const wchar_t* words[] = {L"waiting", L"running", L"paused", L"done", L"failed", L"stopped", L"done"};
  for (size_t i = 0; i < tasks.size(); ++i) {
    tasks[i].status = states[i];
    EXPECT_EQ(StateWord(states[i]), words[i]);
  }
  QueueCounts counts = CountTasks(tasks);
  EXPECT_EQ(counts.total(), 7);
  EXPECT_EQ(counts.done, 2);
  EXPECT_EQ(counts.stopped, 1);
  EXPECT_EQ(counts.failed, 1);
  EXPECT_FALSE(counts.settled());
  tasks.resize(1);
  tasks[0].status = kTaskPaused;
  EXPECT_FALSE(CountTasks(tasks).settled());  // a paused task is still work to do
  tasks[0].status = kTaskFailed;
  EXPECT_TRUE(CountTasks(tasks).settled());
  EXPECT_TRUE(CountTasks({}).settled());
}

}  // namespace
}  // namespace cw::cli
