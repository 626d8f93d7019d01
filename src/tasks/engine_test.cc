// Tests of the engine's refresh: device names in the views, and what the
// refresh tells the user of a device the catalog lacks (once per id).
#include "tasks/engine.h"

#include <gtest/gtest.h>

#include "catalog/device_catalog.h"
#include "settings/config_object.h"
#include "testsupport/build_catalog.h"
#include "testsupport/message_recorder.h"

namespace cw {
namespace {

const std::wstring kMissing = L"can't find device!";

class EngineRefreshTest : public ::testing::Test {
 protected:
  std::shared_ptr<FileObject> Add(const std::wstring& device) {
    auto task = std::make_shared<FileObject>();
    task->guid = MakeGuidText();
    task->targetDevice = device;
    engine_.tasks.AddTask(task);
    return task;
  }
  testing::MessageRecorder messages_;
  ConfigObject config_{L"", L""};
  Engine engine_{config_, testing::BuildCatalog(), messages_.sink()};
};

TEST_F(EngineRefreshTest, KnownDevicesGiveTheirCatalogNames) {
  const DeviceCatalog& catalog = testing::BuildCatalog();
  ASSERT_FALSE(catalog.devices.empty()) << "the shipped data.dat should be in the build folder";
  for (const DeviceObject& device : catalog.devices) Add(device.id);
  std::vector<TaskView> views = engine_.Refresh(TaskManager::Scheduling::kHold);
  ASSERT_EQ(views.size(), catalog.devices.size());
  for (size_t i = 0; i < views.size(); ++i) {
    EXPECT_EQ(views[i].deviceName, catalog.devices[i].name);
    EXPECT_FALSE(views[i].deviceMissing);
  }
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(EngineRefreshTest, AMissingDeviceTravelsInTheViewAndIsToldOncePerId) {
  auto task = Add(L"ghost-A");
  for (int refresh = 0; refresh < 3; ++refresh) {
    // The list's own refresh tells nothing: the view carries it.
    std::vector<TaskView> views = engine_.tasks.RefreshQueue(TaskManager::Scheduling::kHold);
    EXPECT_TRUE(views[0].deviceMissing);
    EXPECT_EQ(views[0].deviceName, L"");
  }
  EXPECT_TRUE(messages_.texts().empty());
  for (int refresh = 0; refresh < 3; ++refresh) engine_.Refresh(TaskManager::Scheduling::kHold);
  EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{kMissing});

  task->targetDevice = L"GHOST-a";  // the same id as far as the catalog is concerned
  engine_.Refresh(TaskManager::Scheduling::kHold);
  EXPECT_EQ(messages_.texts().size(), 1u);

  Add(L"ghost-B");
  engine_.Refresh(TaskManager::Scheduling::kHold);
  engine_.Refresh(TaskManager::Scheduling::kHold);
  EXPECT_EQ(messages_.texts(), (std::vector<std::wstring>{kMissing, kMissing}));
}

}  // namespace
}  // namespace cw
