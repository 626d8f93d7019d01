// Tests of the task list object's own operations.
#include "tasks/task_manager.h"

#include <gtest/gtest.h>

#include <thread>

namespace cw {
namespace {

std::shared_ptr<FileObject> TaskNamed(const std::wstring& guid) {
  auto task = std::make_shared<FileObject>();
  task->guid = guid;
  return task;
}

TEST(TaskManager, CountsAndKeepsTasksInOrder) {
  TaskManager list;
  EXPECT_EQ(list.GetTaskCount(), 0);
  EXPECT_TRUE(list.productName.empty());
  EXPECT_TRUE(list.version.empty());
  list.AddTask(TaskNamed(L"a"));
  list.AddTask(TaskNamed(L"b"));
  list.AddTask(TaskNamed(L"c"));
  EXPECT_EQ(list.GetTaskCount(), 3);
  ASSERT_EQ(list.tasks.size(), 3u);
  EXPECT_EQ(list.tasks[0]->guid, L"a");
  EXPECT_EQ(list.tasks[1]->guid, L"b");
  EXPECT_EQ(list.tasks[2]->guid, L"c");
}

TEST(TaskManager, OperationsReleaseTheLock) {
  TaskManager list;
  list.AddTask(TaskNamed(L"a"));
  list.GetTaskCount();
  // Another thread must be able to take it: a lock left held would block.
  bool taken = false;
  std::thread other([&] {
    taken = list.lock.try_lock();
    if (taken) list.lock.unlock();
  });
  other.join();
  EXPECT_TRUE(taken);
}

}  // namespace
}  // namespace cw
