// The engine with the real encoder (Debian's ffmpeg as xenc) on short clips
// generated in the test's folder.
#include <gtest/gtest.h>

#include <thread>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "tasks/encoder_runner.h"
#include "tasks/engine_test_fixture.h"
#include "tasks/output_naming.h"

namespace cw {
namespace {

using namespace std::chrono_literals;
using testing::CpuTicksOf;
using testing::MakeClip;
using testing::WaitUntil;

class RealEncoderTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    UseEncoder(Encoder::kReal);
  }
  bool DriveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 60s) {
    return WaitUntil([&] {
      Render();
      manager_.ScheduleTasks();
      return done();
    }, timeout);
  }
  // An MP4 file starts with a box of type "ftyp".
  bool IsMp4(const std::wstring& path) {
    std::string bytes;
    return ReadFileBytes(path, &bytes) && bytes.size() > 1000 && bytes.compare(4, 4, "ftyp") == 0;
  }
};

TEST_F(RealEncoderTest, ConvertsTwoAtATimeAndReportsABrokenInputAsFailed) {
  MakeClip(dir_.File("in/one.avi"), 2, "160x120");
  MakeClip(dir_.File("in/two.avi"), 2, "160x120");
  dir_.Write("in/broken.avi", "this is not a video");
  config_.conTasks = 2;
  auto one = AddTask(SystemToWide(dir_.File("in/one.avi")));
  auto two = AddTask(SystemToWide(dir_.File("in/two.avi")));
  auto broken = AddTask(SystemToWide(dir_.File("in/broken.avi")));
  manager_.ScheduleTasks();
  EXPECT_EQ(States(), (std::vector<int>{2, 2, 1}));
  ASSERT_TRUE(DriveUntil([&] { return States() == std::vector<int>{kTaskDone, kTaskDone, kTaskFailed}; }))
      << WideToSystem(Render());
  for (const auto& task : {one, two}) {
    EXPECT_TRUE(IsMp4(task->toPath)) << WideToSystem(task->toPath);
    EXPECT_NEAR(task->process->durationMs.load(), 2000, 100);
    EXPECT_EQ(task->process->totalFrames.load(), 50.0);
    EXPECT_EQ(task->progress, 100.0);
  }
  EXPECT_EQ(one->toPath, wout_dir() + L"/one.mp4");
  EXPECT_EQ(two->toPath, wout_dir() + L"/two.mp4");
  EXPECT_FALSE(FileExists(broken->toPath));
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(RealEncoderTest, PauseFreezesTheEncoderAndResumeFinishesIntoTheSameFile) {
  // A 960x540 source for a 960x540 profile: slow enough to be caught
  // running (a profile never enlarges a smaller picture).
  MakeClip(dir_.File("in/clip.avi"), 2, "960x540");
  config_.targetDevice = L"2";
  config_.outputQuality = L"Normal";
  auto task = AddTask(SystemToWide(dir_.File("in/clip.avi")));
  manager_.ScheduleTasks();
  ASSERT_TRUE(WaitUntil([&] { return task->process->started.load() == 1; }, 10s));
  manager_.PauseTask(task->guid);
  ASSERT_EQ(task->process->finished.load(), 0) << "the conversion ended before it could be paused";
  int pid = task->process->processId.load();
  ASSERT_TRUE(WaitUntil([&] { return ProcessStopped(pid); }, 10s));
  long cpu = CpuTicksOf(pid);
  std::this_thread::sleep_for(500ms);  // a window in which a running encoder would show work
  EXPECT_EQ(CpuTicksOf(pid), cpu);
  EXPECT_EQ(task->iStatus, kTaskPaused);
  std::wstring output = task->toPath;
  manager_.ResumeTask(task->guid);
  ASSERT_TRUE(DriveUntil([&] { return task->iStatus == kTaskDone; }));
  EXPECT_EQ(task->toPath, output);
  EXPECT_EQ(task->process->processId.load(), pid);
  EXPECT_TRUE(IsMp4(output));
}

TEST_F(RealEncoderTest, DeletingARunningConversionRemovesItsPartialFile) {
  MakeClip(dir_.File("in/clip.avi"), 2, "960x540");
  config_.targetDevice = L"2";
  config_.outputQuality = L"Normal";
  auto task = AddTask(SystemToWide(dir_.File("in/clip.avi")));
  manager_.ScheduleTasks();
  ASSERT_TRUE(WaitUntil([&] { return FileExists(PartialPathOf(task->toPath)); }, 10s));
  ASSERT_EQ(task->process->finished.load(), 0);
  int pid = task->process->processId.load();
  EXPECT_TRUE(manager_.DeleteTask(task->guid));
  EXPECT_FALSE(ProcessGroupAlive(pid));
  EXPECT_FALSE(FileExists(task->toPath));
  EXPECT_FALSE(FileExists(PartialPathOf(task->toPath)));
}

}  // namespace
}  // namespace cw
