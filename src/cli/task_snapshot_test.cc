// State words and counts of the task views.
#include "cli/task_snapshot.h"

#include <gtest/gtest.h>

namespace cw::cli {
namespace {

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
