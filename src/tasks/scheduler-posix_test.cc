// The scheduler's encoders as the system sees them: one that another program
// stopped with SIGSTOP, and the processor priority they run at.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>

#include <thread>

#include "platform/process.h"
#include "tasks/engine_test_fixture.h"
#include "tasks/task_manager.h"
#include "tasks/task_view.h"

namespace cw {
namespace {

using namespace std::chrono_literals;
using testing::WaitUntil;

class StoppedFromOutsideTest : public testing::EngineTest {
 protected:
  static bool HasStarted(const FileObject& task) { return task.process->started.load() == 1; }
};

// An encoder stopped by another program is shown as stalled, with the
// reason; one paused by us is not; delete still works.
TEST_F(StoppedFromOutsideTest, AnEncoderStoppedFromOutsideIsShownStalled) {
  config_.conTasks = 2;
  auto outside = AddTask(WriteSource("outside.avi", "mode=hang\n"));
  auto ours = AddTask(WriteSource("ours.avi", "mode=hang\n"));
  manager_.RefreshQueue();
  ASSERT_TRUE(WaitUntil([&] { return HasStarted(*outside) && HasStarted(*ours); }, 10s));
  const int pid = outside->process->processId.load();
  ASSERT_EQ(::kill(-pid, SIGSTOP), 0);
  manager_.PauseTask(ours->guid);
  ASSERT_TRUE(WaitUntil([&] { return ProcessStopped(pid); }, 5s));
  std::vector<TaskView> views = manager_.RefreshQueue();
  EXPECT_EQ(views[0].stalled, L"stopped by another program");
  EXPECT_EQ(views[1].stalled, L"");  // paused by us
  EXPECT_NE(RenderTasksJson(views).find(L"\"stalled\": \"stopped by another program\""), std::wstring::npos);
  // Silence alone counts only after a minute.
  EXPECT_EQ(StallOf(*outside, outside->process->lastOutputMs.load() + kStallMs - 1), L"stopped by another program");
  ::kill(-pid, SIGCONT);
  ASSERT_TRUE(WaitUntil([&] { return !ProcessStopped(pid); }, 5s));
  EXPECT_EQ(StallOf(*outside, outside->process->lastOutputMs.load() + kStallMs - 1), L"");
  EXPECT_EQ(StallOf(*outside, outside->process->lastOutputMs.load() + kStallMs + 5000), L"no progress for 65 s");
  EXPECT_TRUE(manager_.DeleteTask(outside->guid));
  // Killed at once; gone as soon as its worker has reaped it.
  EXPECT_TRUE(WaitUntil([&] { return !ProcessGroupAlive(pid); }, 5s));
}

// Encoders are batch work: they run below the program's own priority, so
// that the window keeps the processor it needs; the program's is unchanged.
TEST_F(StoppedFromOutsideTest, EncodersRunBelowTheProgramsPriority) {
  const int own = getpriority(PRIO_PROCESS, 0);
  auto task = AddTask(WriteSource("batch.avi", "mode=hang\n"));
  manager_.RefreshQueue();
  ASSERT_TRUE(WaitUntil([&] { return HasStarted(*task); }, 10s));
  EXPECT_EQ(getpriority(PRIO_PROCESS, task->process->processId.load()), std::min(own + 5, 19));
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), own);
}

}  // namespace
}  // namespace cw
