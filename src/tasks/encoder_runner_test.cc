// Tests of the encoder runner against the fake encoder script.
#include "tasks/encoder_runner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "analysis/log_window.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tasks/command_line.h"
#include "tasks/engine_test_fixture.h"
#include "tasks/command_line.h"
#include "tasks/host_hooks.h"
#include "tasks/output_check.h"

namespace cw {
namespace {

using namespace std::chrono_literals;
using testing::CpuTicksOf;
using testing::WaitUntil;

class RunnerTest : public testing::EngineTest {
 protected:
  // A task made ready for its run as a first start makes it, not yet begun.
  std::shared_ptr<FileObject> Prepare(const std::string& name, const std::string& behaviour) {
    auto task = AddTask(WriteSource(name, behaviour));
    task->toPath = wout_dir() + L"/" + SystemToWide(name) + L".mp4";
    std::filesystem::create_directories(out_dir());
    ProcessObject& run = *task->process;
    run.inputPath = task->fromPath;
    run.outputPath = task->toPath;
    run.targetDevice = L"1";
    run.outputQuality = L"Low";
    return task;
  }
  std::shared_ptr<FileObject> Begin(const std::string& name, const std::string& behaviour) {
    auto task = Prepare(name, behaviour);
    StartWorker(task->process, testing::BuildCatalog(), messages_.sink());
    return task;
  }
  static bool Finished(const FileObject& task) { return task.process->finished.load() == 1; }
  static std::string OutputOf(const FileObject& task) {
    std::string bytes;
    ReadFileBytes(task.toPath, &bytes);
    return bytes;
  }
};

TEST_F(RunnerTest, CompletedRunParsesTheOutputAndSucceeds) {
  auto ended = std::make_shared<std::atomic<int>>(0);
  HostHook previous = SetRunEndedHook([ended] { ended->fetch_add(1); });
  auto task = Begin("clip", "frames=75\nfps=25\npace=0.01\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
  const ProcessObject& run = *task->process;
  EXPECT_EQ(run.started.load(), 1);
  EXPECT_EQ(run.failed.load(), 0);
  EXPECT_GT(run.processId.load(), 0);
  EXPECT_NE(run.log.find(L"Duration: 00:00:03.00"), std::wstring::npos);
  EXPECT_EQ(run.durationMs.load(), 3000);
  EXPECT_EQ(run.totalFrames.load(), 75.0);
  EXPECT_GT(run.currentFrame.load(), 0.0);
  EXPECT_LE(run.currentFrame.load(), 75.0);
  EXPECT_GT(run.sizeKB.load(), 0.0);
  // The encoder got exactly the argument list of the command line, the
  // options of the shipped profile 1/Low among them.
  ASSERT_TRUE(run.profile.has_value());  // copied from the catalog when the run began
  const std::vector<std::wstring> argv = BuildEncoderCommand(run, &*run.profile).argv;
  ASSERT_GT(argv.size(), 13u);
  EXPECT_EQ(std::vector<std::wstring>(argv.begin() + 1, argv.begin() + 6),
            (std::vector<std::wstring>{L"-i", task->fromPath, L"-codec:v", L"libx264", L"-y"}));
  EXPECT_EQ(argv.back(), task->toPath);
  EXPECT_NE(std::find(argv.begin(), argv.end(), L"300k"), argv.end());
  std::string expected_args;
  for (size_t i = 1; i < argv.size(); ++i) expected_args += "arg: " + WideToSystem(argv[i]) + "\n";
  std::string output = OutputOf(*task);
  // After the fake encoder's 32-byte MP4 skeleton.
  EXPECT_EQ(output.substr(32, expected_args.size()), expected_args);
  EXPECT_NE(output.find("complete"), std::string::npos);
  EXPECT_TRUE(messages_.texts().empty());
  EXPECT_EQ(run.failureReason, L"");
  EXPECT_TRUE(WaitUntil([&] { return ended->load() == 1; }, 5s));
  SetRunEndedHook(previous);
}

// The profile caps the output at 30 frames a second; a 60 fps source gives
// half its frames, and the progress counts toward those, not the source's.
TEST_F(RunnerTest, ARateCappedRunCountsTowardTheFramesItWrites) {
  auto task = Begin("fast", "frames=120\nfps=60\npace=0.01\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
  const ProcessObject& run = *task->process;
  EXPECT_EQ(run.failed.load(), 0) << run.failureReason;
  EXPECT_EQ(run.durationMs.load(), 2000);
  EXPECT_EQ(run.totalFrames.load(), 60.0);
  EXPECT_EQ(run.currentFrame.load(), 60.0);  // the last status line: the whole run
}

// What the encoder writes is followed from its status lines (2 kB a frame
// from the first frame on), for the expected size.
TEST_F(RunnerTest, WhatTheEncoderWroteIsFollowed) {
  auto task = Begin("written", "frames=200\nfps=25\npace=0.01\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
  const ProcessObject& run = *task->process;
  EXPECT_EQ(run.failed.load(), 0) << run.failureReason;
  EXPECT_EQ(run.writtenKB.load(), 400.0);
  EXPECT_GE(run.firstWrittenFrame.load(), 1.0);
  EXPECT_LT(run.firstWrittenFrame.load(), 200.0);
  EXPECT_NEAR(run.recentKBPerFrame.load(), 2.0, 1e-9);
}

// Picture subtitles cannot become MP4 text: the probe made when the file
// was added found them (here it answers only once the run waits), and they
// are left out, the text ones kept.
TEST_F(RunnerTest, PictureSubtitleTracksOfTheSourceAreLeftOut) {
  auto task = Prepare("dvd", "frames=10\nsubtitles=subrip,dvd_subtitle,ass,hdmv_pgs_subtitle\n");
  task->source->MarkQueued();
  task->process->source = task->source;
  StartWorker(task->process, testing::BuildCatalog(), messages_.sink());
  ASSERT_TRUE(WaitUntil([&] { return task->source->Wanted(); }, 20s));
  EXPECT_EQ(task->process->started.load(), 0);  // no encoder before the facts
  SourceRecord::Snapshot probed;
  probed.state = SourceRecord::State::kDone;
  probed.facts.pictureSubtitles = {1, 3};
  task->source->Write(probed);
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
  EXPECT_EQ(task->process->failed.load(), 0) << task->process->failureReason;
  const std::string output = OutputOf(*task);
  EXPECT_NE(output.find("arg: -map\narg: -0:s:1\narg: -map\narg: -0:s:3\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("arg: -0:s:0\n"), std::string::npos);
  EXPECT_EQ(output.find("arg: -0:s:2\n"), std::string::npos);
}

// A result counts only when it is there: an exit status of 0 is not enough.
TEST_F(RunnerTest, ASuccessfulExitWithoutAWholeOutputFailsWithAReason) {
  const struct {
    const char* behaviour;
    const wchar_t* reason;
  } cases[] = {
      {"frames=5\npace=0\nmode=nooutput\n", kOutputMissingReason},
      {"frames=5\npace=0\nmode=text\n", kOutputUnreadableReason},
      {"frames=5\npace=0\nexit=3\n", L"the encoder failed (exit status 3)"},
  };
  int n = 0;
  for (const auto& c : cases) {
    auto task = Begin("clip" + std::to_string(n++), c.behaviour);
    ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
    EXPECT_EQ(task->process->failed.load(), 1) << c.behaviour;
    EXPECT_EQ(task->process->failureReason, c.reason) << c.behaviour;
    EXPECT_FALSE(FileExists(task->toPath)) << c.behaviour;
  }
}

TEST_F(RunnerTest, NoProfileNoConversion) {
  auto task = Prepare("clip", "frames=5\npace=0\n");
  task->process->outputQuality = L"NoSuchQuality";
  StartWorker(task->process, testing::BuildCatalog(), messages_.sink());
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
  EXPECT_EQ(task->process->failed.load(), 1);
  EXPECT_EQ(task->process->started.load(), 0);  // no encoder was started
  EXPECT_EQ(task->process->failureReason, kNoProfileReason);
  EXPECT_EQ(messages_.texts().back(), kNoProfileMessage);
}

// An encoder that prints megabytes of warnings is read as fast as it writes
// and its log keeps only its top and its newest lines, so the figures still
// come out right.
TEST_F(RunnerTest, AChattyEncoderIsDrainedAndItsLogStaysBounded) {
  auto task = Begin("chatty", "frames=40\npace=0\nchatter=3000000\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 60s));
  const ProcessObject& run = *task->process;
  EXPECT_EQ(run.failed.load(), 0);
  EXPECT_LE(run.log.size(), kLogHeadChars + 2 * kLogTailChars + 16 * 1024);
  EXPECT_NE(run.log.find(L"Duration: 00:00:01.60"), std::wstring::npos);
  EXPECT_NE(run.log.find(kLogGapMarker), std::wstring::npos);
  EXPECT_EQ(run.currentFrame.load(), 40.0);
  EXPECT_EQ(run.totalFrames.load(), 25.0);
}

TEST_F(RunnerTest, OnlyExitStatusZeroSucceedsAndAFailedRunLosesItsPartialFile) {
  struct Case {
    const char* name;
    const char* behaviour;
    int failed;
    const wchar_t* reason;
  } cases[] = {
      {"ok", "frames=10\npace=0\nexit=0\n", 0, L""},
      {"status3", "frames=10\npace=0\nexit=3\n", 1, L"the encoder failed (exit status 3)"},
      // A crash halfway (a signal on Linux, an exception status on
      // Windows): the encoder's fault, not a source that ended early.
      {"crash", "frames=10\npace=0\nmode=crash\n", 1, L"the encoder "},
  };
  std::vector<std::shared_ptr<FileObject>> tasks;
  for (const auto& c : cases) tasks.push_back(Begin(c.name, c.behaviour));
  for (size_t i = 0; i < tasks.size(); ++i) {
    ASSERT_TRUE(WaitUntil([&] { return Finished(*tasks[i]); }, 20s)) << cases[i].name;
    EXPECT_EQ(tasks[i]->process->failed.load(), cases[i].failed) << cases[i].name;
    // The reason starts with the case's (the crash's status is the system's).
    EXPECT_TRUE(tasks[i]->process->failureReason.starts_with(cases[i].reason))
        << cases[i].name << ": " << WideToSystem(tasks[i]->process->failureReason);
    EXPECT_EQ(tasks[i]->process->failureReason.empty(), cases[i].failed == 0) << cases[i].name;
    EXPECT_EQ(FileExists(tasks[i]->toPath), cases[i].failed == 0) << cases[i].name;
  }
  EXPECT_TRUE(messages_.texts().empty());
}

// Finished tasks stay in the list for as long as the program runs: their
// ended encoders (and the source listings before them) must not keep any
// descriptor open, or a batch of a few hundred files runs out of them.
TEST_F(RunnerTest, FinishedRunsKeepNoDescriptorOpen) {
  const std::filesystem::path fds = "/proc/self/fd";
  if (!std::filesystem::exists(fds)) GTEST_SKIP() << "no /proc/self/fd to count";
  auto open_count = [&] { return std::distance(std::filesystem::directory_iterator(fds), {}); };
  std::vector<std::shared_ptr<FileObject>> finished;
  auto run_one = [&](int n) {
    auto task = Prepare("clip" + std::to_string(n), "frames=1\npace=0\n");
    StartWorker(task->process, testing::BuildCatalog(), messages_.sink());
    finished.push_back(task);
    EXPECT_TRUE(WaitUntil([&] { return Finished(*task); }, 20s));
    return task->process->failed.load() == 0;
  };
  ASSERT_TRUE(run_one(0)) << finished.back()->process->failureReason;  // once, for what stays open for good
  const auto before = open_count();
  for (int n = 1; n <= 200; ++n) ASSERT_TRUE(run_one(n)) << n << ": " << finished.back()->process->failureReason;
  EXPECT_LE(open_count() - before, 5);
}

// A source that changes after it was added is still being written: it is
// waited for until it holds still (and then converted whole), refused when it
// never does, and a run that it changed under fails instead of giving a part.
TEST_F(RunnerTest, ASourceStillBeingWrittenIsWaitedForOrRefused) {
  struct Case {
    const char* name;
    bool grows_before_start;  // appended to between adding and the start
    bool grows_while_read;    // appended to from the encoder's start to the run's end
    SourceWaitTimes wait;
    const wchar_t* reason;    // the failure, or "" for a conversion
  } cases[] = {
      {"settled", true, false, {100, 60000}, L""},
      {"never_settles", true, false, {60000, 1000},
       L"the source is still being written (it kept changing for 1 s); convert it once it is complete"},
      {"grows_while_read", false, true, {100, 60000}, kSourceChangedReason},
  };
  for (const auto& c : cases) {
    SetSourceWaitTimesForTesting(c.wait);
    auto task = Prepare(c.name, "frames=200\npace=0.01\n");
    auto append = [&] { std::ofstream(WideToSystem(task->fromPath), std::ios::app) << "# more\n"; };
    if (c.grows_before_start) append();
    std::thread writer([&] {
      if (!c.grows_while_read) return;
      WaitUntil([&] { return task->process->started.load() == 1 || Finished(*task); }, 20s);
      for (; !Finished(*task); std::this_thread::sleep_for(10ms)) append();
    });
    StartWorker(task->process, testing::BuildCatalog(), messages_.sink());
    EXPECT_TRUE(WaitUntil([&] { return Finished(*task); }, 30s)) << c.name;
    writer.join();
    EXPECT_EQ(task->process->failureReason, c.reason) << c.name;
    EXPECT_EQ(FileExists(task->toPath), c.reason[0] == 0) << c.name;
  }
  SetSourceWaitTimesForTesting({});
}

TEST_F(RunnerTest, AnEncoderThatCannotStartFailsWithAMessage) {
  UseEncoder(Encoder::kMissing);
  auto task = Begin("clip", "frames=10\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 10s));
  EXPECT_EQ(task->process->failed.load(), 1);
  EXPECT_EQ(task->process->started.load(), 0);
  EXPECT_EQ(task->process->processId.load(), 0);
  EXPECT_EQ(messages_.texts(), (std::vector<std::wstring>{std::wstring(kEncoderStartFailedMessage) +
                                                           L"\n(encoder not found: " +
                                                           SystemToWide(dir_.File("prog/xenc" + WideToSystem(ExecutableSuffix()))) + L")"}));
}

TEST_F(RunnerTest, TheEncoderReadsAnEmptyStandardInput) {
  auto task = Begin("clip", "frames=5\npace=0\nmode=stdin\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 10s));
  EXPECT_NE(task->process->log.find(L"stdin bytes: 0\n"), std::wstring::npos);
  EXPECT_EQ(task->process->failed.load(), 0);
}

TEST_F(RunnerTest, CharactersCutBetweenReadsArriveWhole) {
  // 6000 two-byte characters come in reads of at most 4095 bytes, an odd
  // size, so at least one character is cut between two reads.
  auto task = Begin("clip", "accents=6000\nframes=1\npace=0\n");
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 10s));
  const std::wstring& log = task->process->log;
  EXPECT_EQ(log.find(L'\uFFFD'), std::wstring::npos);
  EXPECT_NE(log.find(std::wstring(6000, L'\u00E9')), std::wstring::npos);
}

TEST_F(RunnerTest, StopEncoderKillsAHangingEncoderAndDeletesItsFile) {
  auto task = Begin("clip", "mode=hang\n");
  ASSERT_TRUE(WaitUntil([&] { return task->process->started.load() == 1 && FileExists(task->toPath); }, 10s));
  int pid = task->process->processId.load();
  StopEncoder(*task);
  EXPECT_FALSE(ProcessGroupAlive(pid));
  EXPECT_FALSE(FileExists(task->toPath));
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 10s));
  EXPECT_EQ(task->process->failed.load(), 1);
}

TEST_F(RunnerTest, StopEncoderOfATaskNeverStartedDeletesOnlyAnExistingOutput) {
  auto task = Prepare("clip", "frames=1\n");
  dir_.Write("out/clip.mp4", "left over");
  StopEncoder(*task);
  EXPECT_FALSE(FileExists(task->toPath));
  task->toPath.clear();
  StopEncoder(*task);  // nothing to do, nothing to crash on
  EXPECT_FALSE(HasEncoderRun(*task->process));
}

TEST_F(RunnerTest, PauseFreezesTheEncoderAndResumeFinishesTheSameRun) {
  auto task = Begin("clip", "frames=60\npace=0.05\nmode=busy\nwork=2000\n");
  ASSERT_TRUE(WaitUntil([&] { return task->process->currentFrame.load() >= 2; }, 20s));
  ASSERT_FALSE(Finished(*task)) << "the fake encoder ran too fast for this test";
  int pid = task->process->processId.load();
  SuspendProcessThreads(*task->process);
  ASSERT_TRUE(WaitUntil([&] { return ProcessStopped(pid); }, 10s));
  long cpu = CpuTicksOf(pid);
  std::string output = OutputOf(*task);
  std::this_thread::sleep_for(400ms);  // a window in which a running encoder would show work
  EXPECT_EQ(CpuTicksOf(pid), cpu);
  EXPECT_EQ(OutputOf(*task), output);
  // Frozen twice, continued once: it runs (the freezes do not add up).
  SuspendProcessThreads(*task->process);
  ResumeProcessThreads(*task->process);
  ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 30s));
  EXPECT_EQ(task->process->failed.load(), 0);
  EXPECT_EQ(task->process->processId.load(), pid);
  std::string final_output = OutputOf(*task);
  EXPECT_EQ(final_output.substr(0, output.size()), output);
  EXPECT_NE(final_output.find("frame 60\ncomplete"), std::string::npos);
  EXPECT_TRUE(messages_.texts().empty());
}

// Requests made before the process exists: the control keeps them.
TEST(ControlConcurrency, AppliesEarlierRequestsToTheNewProcess) {
  // The stand-in program burns processor time for ever, on every system.
  std::vector<std::wstring> busy = {SystemToWide(CW_STAND_IN), L"--busy"};
  {
    EncoderControl control;
    control.RequestStop();
    std::shared_ptr<ChildProcess> child;
    EXPECT_EQ(control.Start(busy, &child), EncoderControl::Launch::kStopped);
    EXPECT_FALSE(child);
  }
  EncoderControl control;
  ASSERT_TRUE(control.Freeze());
  std::shared_ptr<ChildProcess> child;
  ASSERT_EQ(control.Start(busy, &child), EncoderControl::Launch::kStarted);
  ASSERT_TRUE(child);
  ASSERT_TRUE(testing::WaitUntil([&] { return ProcessStopped(child->pid()); }, 10s));
  long frozen = testing::CpuTicksOf(child->pid());
  std::this_thread::sleep_for(300ms);  // a window in which a running child would show work
  EXPECT_EQ(testing::CpuTicksOf(child->pid()), frozen);
  ASSERT_TRUE(control.Continue());
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::CpuTicksOf(child->pid()) > frozen; }, 5s));
  EXPECT_EQ(control.RequestStop(), child);
  EXPECT_TRUE(child->WaitForEnd(5000));
  EXPECT_EQ(child->Reap().signal_number, 9);
  EXPECT_TRUE(testing::WaitUntil([&] { return !ProcessGroupAlive(child->pid()); }, 5s));
}

class RunnerConcurrency : public RunnerTest {};

// A pause or stop right after the run began, whichever of the two threads
// comes first, must hold once the encoder exists.
TEST_F(RunnerConcurrency, PauseRightAfterTheStartHolds) {
  for (int round = 0; round < 5; ++round) {
    auto task = Begin("clip" + std::to_string(round), "frames=1000\npace=0\nmode=busy\nwork=1000\n");
    SuspendProcessThreads(*task->process);
    ASSERT_TRUE(WaitUntil([&] { return task->process->started.load() == 1; }, 10s));
    int pid = task->process->processId.load();
    ASSERT_TRUE(WaitUntil([&] { return ProcessStopped(pid); }, 10s)) << "round " << round;
    long cpu = CpuTicksOf(pid);
    std::this_thread::sleep_for(200ms);  // a window in which a running encoder would show work
    EXPECT_EQ(CpuTicksOf(pid), cpu) << "round " << round;
    StopEncoder(*task);
    EXPECT_FALSE(ProcessGroupAlive(pid));
  }
}

TEST_F(RunnerConcurrency, StopRightAfterTheStartLeavesNoEncoder) {
  for (int round = 0; round < 5; ++round) {
    auto task = Begin("clip" + std::to_string(round), "mode=hang\n");
    StopEncoder(*task);
    ASSERT_TRUE(WaitUntil([&] { return Finished(*task); }, 10s));
    int pid = task->process->processId.load();
    if (pid > 0) {
      EXPECT_TRUE(WaitUntil([pid] { return !ProcessGroupAlive(pid); }, 5s));
    }
    EXPECT_EQ(task->process->failed.load(), 1);
  }
}

}  // namespace
}  // namespace cw
