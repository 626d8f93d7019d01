// Tests of the task list object's own operations.
#include "tasks/task_manager.h"

#include <gtest/gtest.h>

#include "catalog/device_catalog.h"
#include "settings/config_object.h"

namespace cw {
namespace {

std::shared_ptr<FileObject> TaskNamed(const std::wstring& guid) {
  auto task = std::make_shared<FileObject>();
  task->guid = guid;
  return task;
}

TEST(TaskManager, CountsAndKeepsTasksInOrder) {
  DeviceCatalog catalog;
  ConfigObject settings(L"", L"");
  TaskManager list(settings, catalog, nullptr);
  EXPECT_EQ(list.GetTaskCount(), 0);
  list.AddTask(TaskNamed(L"a"));
  list.AddTask(TaskNamed(L"b"));
  list.AddTask(TaskNamed(L"c"));
  EXPECT_EQ(list.GetTaskCount(), 3);
  std::vector<std::shared_ptr<FileObject>> tasks = list.Snapshot();
  ASSERT_EQ(tasks.size(), 3u);
  EXPECT_EQ(tasks[0]->guid, L"a");
  EXPECT_EQ(tasks[1]->guid, L"b");
  EXPECT_EQ(tasks[2]->guid, L"c");
}

}  // namespace
}  // namespace cw
