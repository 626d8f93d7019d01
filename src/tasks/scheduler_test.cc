// Tests of the scheduler and the task commands against the fake encoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <atomic>
#include <thread>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"
#include "tasks/encoder_runner.h"
#include "tasks/engine_test_fixture.h"
#include "tasks/host_hooks.h"
#include "tasks/output_naming.h"
#include "tasks/task_manager.h"

namespace cw {
namespace {

using namespace std::chrono_literals;
using testing::WaitUntil;

class SchedulerTest : public testing::EngineTest {
 protected:
  // Refreshes, as every driver does, until `done` holds.
  bool DriveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 30s) {
    return RenderUntil(done, timeout);
  }
  bool AllIn(int state) {
    auto s = States();
    return std::all_of(s.begin(), s.end(), [state](int v) { return v == state; });
  }
  static bool Frozen(const FileObject& task) {
    return task.process->control && task.process->control->frozen();
  }
  static bool HasStarted(const FileObject& task) { return task.process->started.load() == 1; }
  // The run's encoder is (or soon becomes) stopped by the system's freeze.
  static bool EncoderStopsSoon(const FileObject& task) {
    const int pid = task.process->processId.load();
    return WaitUntil([pid] { return ProcessStopped(pid); }, 10s);
  }
};

// The stopped run's partial file is removed. Windows (without the newer
// delete) frees the name only when the run's worker lets its reservation go,
// a moment after the stop.
bool PartialGoesSoon(const FileObject& task) {
  return WaitUntil([&] { return !FileExists(PartialPathOf(task.toPath)); }, 5s);
}

TEST_F(SchedulerTest, ConTasksTwoWithFiveTasksRunsTwoAtATime) {
  config_.conTasks = 2;
  std::vector<std::shared_ptr<FileObject>> tasks;
  for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"}) {
    tasks.push_back(AddTask(WriteSource(name, "frames=20\npace=0.03\n")));
  }
  manager_.ScheduleTasks();
  EXPECT_EQ(States(), (std::vector<int>{2, 2, 1, 1, 1}));
  int most_running = 0;
  ASSERT_TRUE(DriveUntil([&] {
    auto s = States();
    most_running = std::max(most_running, static_cast<int>(std::count(s.begin(), s.end(), 2)));
    return AllIn(kTaskDone);
  }));
  EXPECT_EQ(most_running, 2);
  for (const char* base : {"a", "b", "c", "d", "e"}) {
    std::string output = dir_.Read(std::string("out/") + base + ".mp4");
    EXPECT_NE(output.find("complete"), std::string::npos) << base;
  }
  EXPECT_NE(Render().find(L"\"iStatus\": 4,\"timeTip\""), std::wstring::npos);
}

TEST_F(SchedulerTest, LoweringConTasksSendsBackFromTheEndAndFreezesThem) {
  config_.conTasks = 3;
  std::vector<std::shared_ptr<FileObject>> tasks;
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
    tasks.push_back(AddTask(WriteSource(name, "frames=100000\npace=0.05\nmode=busy\nwork=500\n")));
  }
  manager_.ScheduleTasks();
  EXPECT_EQ(States(), (std::vector<int>{2, 2, 2}));
  ASSERT_TRUE(WaitUntil([&] { return HasStarted(*tasks[0]) && HasStarted(*tasks[1]) && HasStarted(*tasks[2]); }, 10s));
  config_.conTasks = 1;
  manager_.ScheduleTasks();
  EXPECT_EQ(States(), (std::vector<int>{2, 1, 1}));
  EXPECT_FALSE(Frozen(*tasks[0]));
  EXPECT_TRUE(Frozen(*tasks[1]));
  EXPECT_TRUE(Frozen(*tasks[2]));
  EXPECT_TRUE(EncoderStopsSoon(*tasks[2]));

  // A slot frees: the first waiting task in list order resumes its own encoder.
  int pid_b = tasks[1]->process->processId.load();
  manager_.PauseTask(tasks[0]->guid);
  manager_.ScheduleTasks();
  EXPECT_EQ(States(), (std::vector<int>{3, 2, 1}));
  EXPECT_TRUE(Frozen(*tasks[0]));
  EXPECT_FALSE(Frozen(*tasks[1]));
  EXPECT_EQ(tasks[1]->process->processId.load(), pid_b);  // the same run, no second encoder
  EXPECT_EQ(tasks[1]->toPath, wout_dir() + L"/b.mp4");
}

TEST_F(SchedulerTest, SameBaseNamesStartedInOnePassGetDistinctOutputs) {
  config_.conTasks = 3;
  auto first = AddTask(WriteSource("clip.avi", "frames=5\npace=0\n", "in"));
  auto second = AddTask(WriteSource("clip.mkv", "frames=5\npace=0\n", "in2"));
  auto third = AddTask(WriteSource("clip.mov", "frames=5\npace=0\n", "in3"));
  manager_.ScheduleTasks();
  EXPECT_EQ(first->toPath, wout_dir() + L"/clip.mp4");
  EXPECT_EQ(second->toPath, wout_dir() + L"/clip(1).mp4");
  EXPECT_EQ(third->toPath, wout_dir() + L"/clip(2).mp4");
  ASSERT_TRUE(DriveUntil([&] { return AllIn(kTaskDone); }));
  // Each output was written by its own encoder.
  EXPECT_NE(dir_.Read("out/clip(1).mp4").find("in2/clip.mkv"), std::string::npos);
  // A later task with the same name, the earlier outputs being on disk now.
  auto fourth = AddTask(WriteSource("clip.webm", "frames=1\npace=0\n", "in4"));
  manager_.ScheduleTasks();
  EXPECT_EQ(fourth->toPath, wout_dir() + L"/clip(3).mp4");
}

TEST_F(SchedulerTest, AFailedTaskKeepsItsProgressAndFreesItsSlot) {
  config_.conTasks = 1;
  // It fails after 40 of its 100 frames, whenever its figures are read.
  auto failing = AddTask(WriteSource("bad.avi", "frames=100\nfps=25\npace=0.02\nstop=40\nexit=1\n"));
  auto good = AddTask(WriteSource("good.avi", "frames=5\npace=0\n"));
  ASSERT_TRUE(DriveUntil([&] { return States() == std::vector<int>{kTaskFailed, kTaskDone}; }));
  EXPECT_GT(failing->progress, 0.0);
  EXPECT_LT(failing->progress, 100.0);
  EXPECT_FALSE(FileExists(failing->toPath));
  EXPECT_TRUE(FileExists(good->toPath));
  std::wstring json = Render();
  EXPECT_NE(json.find(L"\"iStatus\": 5,"), std::wstring::npos);
  EXPECT_NE(json.find(L"\"iStatus\": 4,"), std::wstring::npos);
  EXPECT_TRUE(messages_.texts().empty());
}

// The output appears whole or not at all: while the encoder writes, only the
// marked partial file exists; a file that appears at the final name
// meanwhile is never replaced.
TEST_F(SchedulerTest, OutputsAppearUnderTheirNameOnlyWhenFinishedAndReplaceNothing) {
  config_.conTasks = 1;
  auto task = AddTask(WriteSource("clip.avi", "frames=30\npace=0.02\n"));
  manager_.RefreshQueue();
  const std::wstring final_path = wout_dir() + L"/clip.mp4";
  ASSERT_EQ(task->toPath, final_path);
  EXPECT_TRUE(FileExists(PartialPathOf(final_path)));  // reserved at once
  EXPECT_FALSE(FileExists(final_path));
  dir_.Write("out/clip.mp4", "someone else's file");
  ASSERT_TRUE(DriveUntil([&] { return task->iStatus == kTaskDone; }));
  EXPECT_EQ(dir_.Read("out/clip.mp4"), "someone else's file");
  EXPECT_EQ(task->toPath, wout_dir() + L"/clip(1).mp4");
  EXPECT_NE(dir_.Read("out/clip(1).mp4").find("complete"), std::string::npos);
  EXPECT_FALSE(FileExists(PartialPathOf(final_path)));
}

// Two programs converting the same source into the same folder (two task
// lists here, as two "Open with" launches): the reservation keeps their
// names apart, and both outputs are whole.
TEST_F(SchedulerTest, TwoListsOnOneFolderNeverShareAName) {
  TaskManager other(config_, testing::BuildCatalog(), messages_.sink());
  config_.conTasks = 1;
  std::wstring source = WriteSource("clip.avi", "frames=10\npace=0.01\n");
  auto mine = AddTask(source);
  auto theirs = std::make_shared<FileObject>();
  theirs->fromPath = source;
  theirs->fileName = L"clip.avi";
  theirs->guid = MakeGuidText();
  other.AddTask(theirs);
  created_.push_back(theirs);
  manager_.RefreshQueue();
  other.RefreshQueue();
  EXPECT_NE(mine->toPath, theirs->toPath);
  ASSERT_TRUE(DriveUntil([&] {
    other.RefreshQueue();
    return mine->iStatus == kTaskDone && theirs->iStatus == kTaskDone;
  }));
  EXPECT_NE(dir_.Read("out/clip.mp4").find("complete"), std::string::npos);
  EXPECT_NE(dir_.Read("out/clip(1).mp4").find("complete"), std::string::npos);
  other.StopAllTasks();
}

// What a crash leaves (a partial file nobody holds) goes at the next start;
// what a running program holds stays.
TEST_F(SchedulerTest, LeftoversOfACrashAreRemovedAndLiveReservationsKept) {
  std::filesystem::create_directories(out_dir());
  dir_.Write("out/old.mp4.clipwright-partial", "half a file");
  dir_.Write("out/keep.mp4", "a finished output");
  dir_.Write("out/other.partial", "not ours");
  config_.conTasks = 1;
  auto running = AddTask(WriteSource("live.avi", "mode=hang\n"));
  manager_.RefreshQueue();
  ASSERT_TRUE(FileExists(PartialPathOf(running->toPath)));
  EXPECT_EQ(RemoveAbandonedPartials(wout_dir()), 1);
  EXPECT_FALSE(FileExists(wout_dir() + L"/old.mp4.clipwright-partial"));
  EXPECT_TRUE(FileExists(PartialPathOf(running->toPath)));
  EXPECT_TRUE(FileExists(wout_dir() + L"/keep.mp4"));
  EXPECT_TRUE(FileExists(wout_dir() + L"/other.partial"));
}

TEST_F(SchedulerTest, AnEncoderThatCannotStartDoesNotStallTheQueue) {
  UseEncoder(Encoder::kMissing);
  config_.conTasks = 1;
  AddTask(WriteSource("a.avi", "frames=1\n"));
  AddTask(WriteSource("b.avi", "frames=1\n"));
  ASSERT_TRUE(DriveUntil([&] { return AllIn(kTaskFailed); }));
  const std::wstring missing = L"Program encounter problem, please reinstall it.\n(encoder not found: " +
                               SystemToWide(dir_.File("prog/xenc" + WideToSystem(ExecutableSuffix()))) + L")";
  EXPECT_EQ(messages_.texts(), (std::vector<std::wstring>{missing, missing}));
}

TEST_F(SchedulerTest, EachPassStartsAtMost101Tasks) {
  UseEncoder(Encoder::kMissing);  // runs end at once, cheaply
  config_.conTasks = 1000;
  for (int i = 0; i < 110; ++i) AddTask(WriteSource("s" + std::to_string(i) + ".avi", "frames=1\n"));
  manager_.ScheduleTasks();
  auto s = States();
  EXPECT_EQ(std::count(s.begin(), s.end(), kTaskRunning), 101);
  EXPECT_EQ(std::count(s.begin(), s.end(), kTaskWaiting), 9);
}

TEST_F(SchedulerTest, ZeroConTasksStartsNothing) {
  config_.conTasks = 0;
  AddTask(WriteSource("a.avi", "frames=1\n"));
  manager_.ScheduleTasks();
  EXPECT_EQ(States(), std::vector<int>{kTaskWaiting});
}

TEST_F(SchedulerTest, PauseAndResumeFollowTheStateRules) {
  config_.conTasks = 1;
  auto running = AddTask(WriteSource("a.avi", "mode=hang\n"));
  auto waiting = AddTask(WriteSource("b.avi", "frames=1\n"));
  manager_.ScheduleTasks();
  // Identities are matched without regard to case by the commands.
  std::wstring lower = waiting->guid;
  for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  manager_.PauseTask(lower);
  EXPECT_EQ(States(), (std::vector<int>{2, 3}));
  EXPECT_FALSE(HasEncoderRun(*waiting->process));  // a task never started has no run to freeze
  manager_.ResumeTask(running->guid);              // not paused: unchanged
  EXPECT_EQ(States(), (std::vector<int>{2, 3}));
  manager_.ResumeTask(waiting->guid);
  EXPECT_EQ(States(), (std::vector<int>{2, 1}));   // back to waiting, not running
  manager_.PauseTask(running->guid);
  manager_.PauseTask(running->guid);  // twice
  EXPECT_EQ(States(), (std::vector<int>{3, 1}));
  EXPECT_TRUE(Frozen(*running));
  manager_.PauseTask(L"{no-such-task}");
  manager_.ResumeTask(L"{no-such-task}");
  EXPECT_EQ(States(), (std::vector<int>{3, 1}));
  manager_.ScheduleTasks();  // the slot went to the waiting task
  EXPECT_EQ(States(), (std::vector<int>{3, 2}));
}

TEST_F(SchedulerTest, DeleteTaskKillsARunningEncoderAndRemovesItsPartialFile) {
  config_.conTasks = 2;
  auto hanging = AddTask(WriteSource("a.avi", "mode=hang\n"));
  auto other = AddTask(WriteSource("b.avi", "frames=1\npace=0\n"));
  manager_.ScheduleTasks();
  ASSERT_TRUE(WaitUntil([&] { return HasStarted(*hanging) && FileExists(PartialPathOf(hanging->toPath)); }, 10s));
  int pid = hanging->process->processId.load();
  EXPECT_FALSE(manager_.DeleteTask(L"{no-such-task}"));
  EXPECT_TRUE(manager_.DeleteTask(hanging->guid));
  EXPECT_FALSE(ProcessGroupAlive(pid));
  EXPECT_FALSE(FileExists(hanging->toPath));
  EXPECT_TRUE(PartialGoesSoon(*hanging));
  EXPECT_EQ(manager_.GetTaskCount(), 1);
  EXPECT_EQ(manager_.FindTask(hanging->guid), nullptr);
  // The deleted task's worker finishes on its own share of the run record.
  EXPECT_TRUE(WaitUntil([&] { return hanging->process->finished.load() == 1; }, 10s));
}

// The page picks "delete" or "delete finished" from a row up to a refresh
// old: a run that has ended (whether or not a refresh has noticed it yet)
// keeps its output either way.
TEST_F(SchedulerTest, DeleteKeepsTheOutputOfARunThatEndedBeforeARefreshNoticedIt) {
  config_.conTasks = 2;
  auto noticed = AddTask(WriteSource("a.avi", "frames=2\npace=0\n"));
  ASSERT_TRUE(DriveUntil([&] { return AllIn(kTaskDone); }));
  auto unnoticed = AddTask(WriteSource("b.avi", "frames=2\npace=0\n"));
  manager_.ScheduleTasks();
  ASSERT_TRUE(WaitUntil([&] { return unnoticed->process->finished.load() == 1; }, 10s));
  ASSERT_EQ(unnoticed->iStatus, kTaskRunning);  // what the page's row still shows
  const std::wstring published = unnoticed->process->publishedPath;
  ASSERT_FALSE(published.empty());
  EXPECT_TRUE(manager_.DeleteTask(unnoticed->guid));
  EXPECT_TRUE(manager_.DeleteTask(noticed->guid));
  EXPECT_NE(dir_.Read("out/b.mp4").find("complete"), std::string::npos);
  EXPECT_NE(dir_.Read("out/a.mp4").find("complete"), std::string::npos);
  EXPECT_EQ(published, wout_dir() + L"/b.mp4");
  EXPECT_FALSE(manager_.DeleteFinishedTask(noticed->guid));
  EXPECT_EQ(manager_.GetTaskCount(), 0);
}

TEST_F(SchedulerTest, DeleteFinishedOfARunThatHasNotEndedStopsIt) {
  auto hanging = AddTask(WriteSource("a.avi", "mode=hang\n"));
  manager_.ScheduleTasks();
  ASSERT_TRUE(WaitUntil([&] { return HasStarted(*hanging) && FileExists(PartialPathOf(hanging->toPath)); }, 10s));
  int pid = hanging->process->processId.load();
  EXPECT_TRUE(manager_.DeleteFinishedTask(hanging->guid));
  EXPECT_FALSE(ProcessGroupAlive(pid));
  EXPECT_FALSE(FileExists(hanging->toPath));
  EXPECT_TRUE(PartialGoesSoon(*hanging));
}

TEST_F(SchedulerTest, DeleteFinishedOpensTheCountdownWhenTheListBecomesEmpty) {
  auto opened = std::make_shared<std::atomic<int>>(0);
  HostHook previous = SetShutdownCountdownHook([opened] { opened->fetch_add(1); });
  struct Case {
    int need_shutdown;
    int tasks;
    int expected_openings;
  } cases[] = {{1, 1, 1}, {0, 1, 0}, {1, 2, 1}};
  for (const auto& c : cases) {
    opened->store(0);
    config_.needShutdown = c.need_shutdown;
    std::vector<std::shared_ptr<FileObject>> added;
    for (int i = 0; i < c.tasks; ++i) added.push_back(AddTask(WriteSource("t" + std::to_string(i), "frames=1\n")));
    for (const auto& t : added) {
      EXPECT_TRUE(manager_.DeleteFinishedTask(t->guid));
      // Only the removal that empties the list counts.
      EXPECT_EQ(opened->load(), manager_.GetTaskCount() == 0 ? c.expected_openings : 0);
    }
  }
  // A failed task counts like a done one.
  UseEncoder(Encoder::kMissing);
  config_.needShutdown = 1;
  opened->store(0);
  auto failed = AddTask(WriteSource("f.avi", "frames=1\n"));
  ASSERT_TRUE(DriveUntil([&] { return AllIn(kTaskFailed); }));
  EXPECT_TRUE(manager_.DeleteFinishedTask(failed->guid));
  EXPECT_EQ(opened->load(), 1);
  SetShutdownCountdownHook(previous);
}

TEST_F(SchedulerTest, StopAllTasksCancelsRunsButLeavesFinishedOutputs) {
  config_.conTasks = 2;
  auto quick = AddTask(WriteSource("a.avi", "frames=2\npace=0\n"));
  auto hanging = AddTask(WriteSource("b.avi", "mode=hang\n"));
  ASSERT_TRUE(DriveUntil([&] { return quick->iStatus == kTaskDone && FileExists(PartialPathOf(hanging->toPath)); }));
  int pid = hanging->process->processId.load();
  manager_.StopAllTasks();
  EXPECT_FALSE(ProcessGroupAlive(pid));
  EXPECT_TRUE(FileExists(quick->toPath));
  EXPECT_FALSE(FileExists(hanging->toPath));
  EXPECT_TRUE(PartialGoesSoon(*hanging));
  EXPECT_EQ(manager_.GetTaskCount(), 2);
  // The cancelled run is not reported as a success.
  ASSERT_TRUE(DriveUntil([&] { return hanging->iStatus == kTaskFailed; }, 10s));
}

TEST_F(SchedulerTest, FindTaskMatchesCaseExactlyAndTakesTheLast) {
  auto a = AddTask(WriteSource("a.avi", "frames=1\n"));
  auto b = AddTask(WriteSource("b.avi", "frames=1\n"));
  b->guid = a->guid;  // two tasks sharing an identity: the last one wins
  EXPECT_EQ(manager_.FindTask(a->guid), b);
  std::wstring lower = a->guid;
  for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  EXPECT_EQ(manager_.FindTask(lower), nullptr);
  EXPECT_EQ(manager_.FindTask(L""), nullptr);
}

TEST_F(SchedulerTest, TheEndOfARunCallsTheHostAfterTheRecordIsFinal) {
  struct Seen {
    std::atomic<int> calls{0};
    std::atomic<int> finished_at_call{-1};
    std::shared_ptr<ProcessObject> run;
  };
  auto seen = std::make_shared<Seen>();
  auto task = AddTask(WriteSource("a.avi", "frames=2\npace=0\n"));
  seen->run = task->process;
  HostHook previous = SetRunEndedHook([seen] {
    seen->finished_at_call.store(seen->run->finished.load());
    seen->calls.fetch_add(1);
  });
  manager_.ScheduleTasks();
  ASSERT_TRUE(WaitUntil([&] { return seen->calls.load() == 1; }, 10s));
  EXPECT_EQ(seen->finished_at_call.load(), 1);
  // So the refresh the host runs at that moment sees the end.
  Render();
  EXPECT_EQ(task->iStatus, kTaskDone);
  SetRunEndedHook(previous);
  seen->run.reset();
}

TEST_F(SchedulerTest, LongAndUnusualPathsReachTheEncoderUnchanged) {
  std::string deep = out_dir();
  for (int i = 0; i < 12; ++i) deep += "/folder-" + std::to_string(i) + std::string(90, 'x');
  ASSERT_GT(deep.size(), 1100u);
  config_.outputDir = SystemToWide(deep);
  std::wstring source = WriteSource("100% \"odd\" $HOME `x` caf\xc3\xa9.avi", "frames=2\npace=0\n");
  auto task = AddTask(source);
  ASSERT_TRUE(DriveUntil([&] { return AllIn(kTaskDone); }));
  EXPECT_EQ(task->toPath, SystemToWide(deep) + L"/100% \"odd\" $HOME `x` caf\u00e9.mp4");
  std::string output;
  ASSERT_TRUE(ReadFileBytes(task->toPath, &output));
  EXPECT_NE(output.find("arg: " + WideToSystem(source) + "\n"), std::string::npos);
  // The encoder wrote the partial file, which then got the final name.
  EXPECT_NE(output.find("arg: -f\narg: mp4\narg: " + WideToSystem(PartialPathOf(task->toPath)) + "\n"),
            std::string::npos);
}

class SchedulerConcurrency : public SchedulerTest {};

TEST_F(SchedulerConcurrency, ADeletedTasksWorkerHoldsTheRunRecordUntilItReturns) {
  std::weak_ptr<ProcessObject> record;
  std::wstring guid;
  {
    // Made here rather than by AddTask so that the test keeps no share of it.
    auto task = std::make_shared<FileObject>();
    task->fromPath = WriteSource("a.avi", "mode=hang\n");
    task->fileName = FileNameOfPath(task->fromPath);
    task->guid = MakeGuidText();
    guid = task->guid;
    record = task->process;
    manager_.AddTask(task);
  }
  manager_.ScheduleTasks();
  int pid = 0;
  ASSERT_TRUE(WaitUntil([&] {
    auto run = record.lock();
    pid = run ? run->processId.load() : 0;
    return pid > 0;
  }, 10s));
  EXPECT_TRUE(manager_.DeleteTask(guid));
  EXPECT_FALSE(ProcessGroupAlive(pid));
  // Once the worker has returned, nobody holds the record any more.
  EXPECT_TRUE(WaitUntil([] { return ActiveWorkerCount() == 0; }, 10s));
  EXPECT_TRUE(record.expired());
}

TEST_F(SchedulerConcurrency, PauseOrDeleteRightAfterTheStartHolds) {
  config_.conTasks = 4;
  std::vector<std::shared_ptr<FileObject>> paused, deleted;
  for (int i = 0; i < 2; ++i) {
    paused.push_back(AddTask(WriteSource("p" + std::to_string(i), "frames=100000\npace=0\nmode=busy\nwork=200\n")));
    deleted.push_back(AddTask(WriteSource("d" + std::to_string(i), "mode=hang\n")));
  }
  manager_.ScheduleTasks();  // the workers are creating their encoders now
  for (int i = 0; i < 2; ++i) {
    manager_.PauseTask(paused[i]->guid);
    manager_.DeleteTask(deleted[i]->guid);
  }
  EXPECT_EQ(States(), (std::vector<int>{3, 3}));
  for (const auto& task : deleted) {
    ASSERT_TRUE(WaitUntil([&] { return task->process->finished.load() == 1; }, 10s));
    int pid = task->process->processId.load();
    if (pid > 0) {
      EXPECT_FALSE(ProcessGroupAlive(pid));
    }
  }
  for (const auto& task : paused) {
    ASSERT_TRUE(WaitUntil([&] { return task->process->started.load() == 1; }, 10s));
    EXPECT_TRUE(EncoderStopsSoon(*task));  // created frozen
    EXPECT_EQ(task->process->finished.load(), 0);
  }
}

}  // namespace
}  // namespace cw
