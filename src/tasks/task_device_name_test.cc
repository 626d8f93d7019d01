// Tests of device names in the task JSON and the once-per-id message.
#include <gtest/gtest.h>

#include "catalog/device_catalog.h"
#include "tasks/file_object.h"
#include "tasks/task_json.h"
#include "tasks/task_manager.h"
#include "testsupport/message_recorder.h"

namespace cw {
namespace {

const std::wstring kMissing = L"can't find device!";

TEST(TaskDeviceName, KnownDeviceGivesItsCatalogName) {
  testing::MessageRecorder messages;
  const DeviceCatalog& catalog = GetDeviceCatalog();
  ASSERT_FALSE(catalog.devices.empty()) << "the shipped data.dat should be in the build folder";
  for (const DeviceObject& device : catalog.devices) {
    FileObject task;
    task.targetDevice = device.id;
    std::wstring json = task.ToJson();
    EXPECT_NE(json.find(L"\"targetDevice\": \"" + device.name + L"\","), std::wstring::npos) << json;
  }
  EXPECT_TRUE(messages.texts().empty());
}

TEST(TaskDeviceName, MissingDeviceIsReportedOncePerId) {
  testing::MessageRecorder messages;
  FileObject task;
  task.targetDevice = L"ghost-A";
  for (int refresh = 0; refresh < 5; ++refresh) {
    std::wstring json = task.ToJson();
    EXPECT_NE(json.find(L"\"targetDevice\": \"\",\"outputQuality\""), std::wstring::npos) << json;
  }
  EXPECT_EQ(messages.texts(), std::vector<std::wstring>{kMissing});

  task.targetDevice = L"GHOST-a";  // the same id as far as the catalog is concerned
  task.ToJson();
  EXPECT_EQ(messages.texts().size(), 1u);

  FileObject other;
  other.targetDevice = L"ghost-B";
  other.ToJson();
  other.ToJson();
  EXPECT_EQ(messages.texts(), (std::vector<std::wstring>{kMissing, kMissing}));
}

TEST(LoadCatalogIntoTaskManager, CopiesTheProductTexts) {
  LoadCatalogIntoTaskManager();
  TaskManager& list = TaskManager::Instance();
  EXPECT_EQ(list.productName, L"Clipwright");
  EXPECT_EQ(list.version, GetProductVersion());
  EXPECT_FALSE(list.version.empty());
}

}  // namespace
}  // namespace cw
