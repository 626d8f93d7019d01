// Tests of the child processes with small /bin/sh programs. Every test ends
// its children and checks that their process groups are gone.
#include "platform/process.h"

#include <unistd.h>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/text.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait_until.h"

namespace cw {
namespace {

using namespace std::chrono_literals;

std::vector<std::wstring> Shell(const std::string& script, std::vector<std::string> args = {}) {
  std::vector<std::wstring> argv = {L"/bin/sh", L"-c", SystemToWide(script), L"sh"};
  for (const auto& a : args) argv.push_back(SystemToWide(a));
  return argv;
}

std::unique_ptr<ChildProcess> StartOrFail(const std::vector<std::wstring>& argv) {
  ChildProcess::StartError error;
  auto child = ChildProcess::Start(argv, &error);
  EXPECT_TRUE(child) << error.reason;
  return child;
}

std::string ReadAll(ChildProcess& child, size_t* largest_chunk = nullptr) {
  std::string all, chunk;
  while (child.ReadOutput(&chunk)) {
    EXPECT_FALSE(chunk.empty());
    if (largest_chunk) *largest_chunk = std::max(*largest_chunk, chunk.size());
    all += chunk;
  }
  EXPECT_TRUE(chunk.empty());
  return all;
}

// Polls for the group to vanish: a killed grandchild is reaped by whoever
// adopted it, a moment later.
bool GroupGoneSoon(int pgid) {
  return testing::WaitUntil([pgid] { return !ProcessGroupAlive(pgid); });
}

TEST(ChildProcess, MergesOutputAndReportsExitCode) {
  auto child = StartOrFail(Shell("echo out; echo err >&2; exit 3"));
  ASSERT_TRUE(child);
  EXPECT_EQ(ReadAll(*child), "out\nerr\n");
  ProcessExit end = child->Reap();
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.exit_code, 3);
  EXPECT_FALSE(end.SucceededNormally());
  EXPECT_TRUE(GroupGoneSoon(child->pid()));
}

TEST(ChildProcess, PassesArgumentsUnchangedWithoutAShell) {
  const std::string long_arg(5000, 'x');
  std::vector<std::string> args = {"a b", "\"quoted\"", "100%d", "$HOME", "`id`", "back\\slash",
                                   "caf\xc3\xa9", "\xff\xfe", "s\xed\xa0\x80", "\xe9t\xe9", long_arg};
  auto child = StartOrFail(Shell("for a; do printf '[%s]' \"$a\"; done", args));
  ASSERT_TRUE(child);
  std::string expected;
  for (const auto& a : args) expected += "[" + a + "]";
  EXPECT_EQ(ReadAll(*child), expected);
  EXPECT_TRUE(child->Reap().SucceededNormally());
}

TEST(ChildProcess, StandardInputIsEmptyAndGroupIsItsOwn) {
  // `cat` would wait for ever on a terminal or an inherited pipe.
  auto child = StartOrFail(Shell("cat; echo end; cut -d' ' -f5 /proc/$$/stat"));
  ASSERT_TRUE(child);
  EXPECT_EQ(ReadAll(*child), "end\n" + std::to_string(child->pid()) + "\n");
  EXPECT_TRUE(child->Reap().SucceededNormally());
}

TEST(ChildProcess, NicenessLowersTheChildsPriorityOnly) {
  // Field 19 of /proc/PID/stat is the nice value.
  const auto nice_of_child = [](int niceness) {
    ChildProcess::StartError error;
    auto child = ChildProcess::Start(Shell("cut -d' ' -f19 /proc/$$/stat"), &error, niceness);
    EXPECT_TRUE(child) << error.reason;
    if (!child) return -100;
    const std::string out = ReadAll(*child);
    EXPECT_TRUE(child->Reap().SucceededNormally());
    return std::stoi(out);
  };
  errno = 0;
  const int own = getpriority(PRIO_PROCESS, 0);
  ASSERT_EQ(errno, 0);
  struct Case { int niceness; int expected; } cases[] = {
      {0, own}, {-5, own}, {10, std::min(own + 10, 19)}, {40, 19},
  };
  for (const auto& c : cases) EXPECT_EQ(nice_of_child(c.niceness), c.expected) << c.niceness;
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), own) << "this program's own priority is unchanged";
}

TEST(ChildProcess, WorksWhenThisProgramRunsWithoutStandardInput) {
  // The null device then takes descriptor 0, the slot it must end up in.
  // Descriptor 0 is given back only after the child object is gone, since
  // one of its own descriptors may take that number meanwhile.
  int saved = dup(0);
  ASSERT_GE(saved, 0);
  close(0);
  std::string output;
  bool succeeded = false;
  {
    auto child = StartOrFail(Shell("cat && echo read-ok"));
    if (child) {
      output = ReadAll(*child);
      succeeded = child->Reap().SucceededNormally();
    }
  }
  dup2(saved, 0);
  close(saved);
  EXPECT_EQ(output, "read-ok\n");
  EXPECT_TRUE(succeeded);
}

TEST(ChildProcess, ReadsAtMostTheLimitAtOnce) {
  auto child = StartOrFail(Shell("head -c 20000 /dev/zero | tr '\\0' 'a'"));
  ASSERT_TRUE(child);
  size_t largest = 0;
  std::string all = ReadAll(*child, &largest);
  EXPECT_EQ(all, std::string(20000, 'a'));
  EXPECT_LE(largest, ChildProcess::kReadLimit);
  EXPECT_GT(largest, 0u);
  child->Reap();
}

TEST(ChildProcess, ReadWithinATimeLimitTellsSilenceFromTheEnd) {
  auto child = StartOrFail(Shell("sleep 0.3; printf hello; sleep 0.2"));
  ASSERT_TRUE(child);
  std::string chunk;
  EXPECT_EQ(child->ReadOutputWithin(&chunk, 20), ChildProcess::ReadResult::kSilent);
  EXPECT_TRUE(chunk.empty());
  std::string all;
  ChildProcess::ReadResult result;
  while ((result = child->ReadOutputWithin(&chunk, 5000)) == ChildProcess::ReadResult::kData) all += chunk;
  EXPECT_EQ(result, ChildProcess::ReadResult::kClosed);
  EXPECT_EQ(all, "hello");
  EXPECT_TRUE(child->Reap().SucceededNormally());
}

TEST(ChildProcess, MissingOrUnrunnableProgramFailsToStart) {
  testing::TempDir dir;
  dir.Write("not_executable", "#!/bin/sh\necho hi\n");
  for (const std::string& program : {dir.File("missing"), dir.File("not_executable"), dir.path()}) {
    ChildProcess::StartError error;
    auto child = ChildProcess::Start({SystemToWide(program)}, &error);
    EXPECT_FALSE(child) << program;
    EXPECT_FALSE(error.reason.empty()) << program;
    EXPECT_FALSE(error.no_pipe) << program;
  }
  ChildProcess::StartError error;
  EXPECT_FALSE(ChildProcess::Start({}, &error));
}

TEST(ChildProcess, WaitHasATimeLimitAndKillEndsTheWholeGroup) {
  auto child = StartOrFail(Shell("sleep 30 & sleep 30"));
  ASSERT_TRUE(child);
  EXPECT_FALSE(child->WaitForEnd(100));
  EXPECT_TRUE(ProcessGroupAlive(child->pid()));
  EXPECT_TRUE(child->Kill());
  EXPECT_TRUE(child->WaitForEnd(5000));
  std::string chunk;
  EXPECT_FALSE(child->ReadOutput(&chunk));
  ProcessExit end = child->Reap();
  EXPECT_FALSE(end.exited);
  EXPECT_EQ(end.signal_number, 9);
  EXPECT_TRUE(GroupGoneSoon(child->pid()));
  // Once reaped, signals are not sent any more (the id may belong to another).
  EXPECT_TRUE(child->Kill());
  EXPECT_EQ(child->Reap().signal_number, 9);
  EXPECT_TRUE(child->WaitForEnd(0));
}

TEST(ChildProcess, OutputWaitingTellsWhetherAReadWouldBlock) {
  auto child = StartOrFail({L"/bin/sh", L"-c", L"echo x; exec sleep 30"});
  ASSERT_TRUE(child);
  ASSERT_TRUE(testing::WaitUntil([&] { return child->OutputWaiting(); }));
  std::string chunk;
  ASSERT_TRUE(child->ReadOutput(&chunk));
  EXPECT_EQ(chunk, "x\n");
  EXPECT_FALSE(child->OutputWaiting());
  child->Kill();
  EXPECT_TRUE(child->WaitForEnd(5000));
  EXPECT_TRUE(child->OutputWaiting());  // the closed pipe
  EXPECT_FALSE(child->ReadOutput(&chunk));
  child->Reap();
  EXPECT_TRUE(GroupGoneSoon(child->pid()));
}

TEST(ChildProcess, OutputEndsWhenTheChildEndsEvenIfAGrandchildHoldsThePipe) {
  auto child = StartOrFail(Shell("sleep 30 & echo started"));
  ASSERT_TRUE(child);
  EXPECT_EQ(ReadAll(*child), "started\n");
  EXPECT_TRUE(child->WaitForEnd(5000));
  EXPECT_TRUE(child->Kill());  // the grandchild, before the group's leader is reaped
  EXPECT_TRUE(child->Reap().SucceededNormally());
  EXPECT_TRUE(GroupGoneSoon(child->pid()));
}

TEST(ChildProcess, SuspendFreezesTheGroupAndResumeContinuesIt) {
  auto child = StartOrFail(Shell("while :; do :; done"));
  ASSERT_TRUE(child);
  const int pid = child->pid();
  ASSERT_TRUE(testing::WaitUntil([&] { return ProcessCpuSecondsOf(pid) > 0; }));
  ASSERT_TRUE(child->Suspend());
  ASSERT_TRUE(testing::WaitUntil([&] { return ProcessStopped(pid); }));
  double frozen = ProcessCpuSecondsOf(pid);
  EXPECT_FALSE(child->WaitForEnd(300));
  EXPECT_EQ(ProcessCpuSecondsOf(pid), frozen);  // stopped: no processor time
  ASSERT_TRUE(child->Resume());
  EXPECT_TRUE(testing::WaitUntil([&] { return ProcessCpuSecondsOf(pid) > frozen; }));
  // A frozen group still dies at once.
  ASSERT_TRUE(child->Suspend());
  EXPECT_TRUE(child->Kill());
  EXPECT_EQ(child->Reap().signal_number, 9);
  EXPECT_TRUE(GroupGoneSoon(child->pid()));
}

TEST(ChildProcess, DiesWithTheThreadThatStartedIt) {
  std::unique_ptr<ChildProcess> child;
  // The signal reaches the child itself (its own children are the encoder's
  // business), so the child here is the sleeping program itself.
  std::thread starter([&child] { child = StartOrFail({L"/bin/sleep", L"30"}); });
  starter.join();
  ASSERT_TRUE(child);
  EXPECT_TRUE(child->WaitForEnd(5000));
  EXPECT_EQ(child->Reap().signal_number, 9);
  EXPECT_TRUE(GroupGoneSoon(child->pid()));
}

TEST(ChildProcess, ChildHoldsNoPipeButItsOwnOutput) {
  // Another child's pipe held here would keep that pipe open after its own
  // encoder ended.
  auto first = StartOrFail({L"/bin/sleep", L"30"});
  auto second = StartOrFail({L"/bin/sleep", L"30"});
  ASSERT_TRUE(first && second);
  // Only descriptors 1 and 2 may be pipes (the program itself may open files).
  std::vector<std::string> pipes_seen;
  for (const auto* child : {first.get(), second.get()}) {
    std::vector<std::string> pipe_fds;
    std::string pipe_name;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(
             "/proc/" + std::to_string(child->pid()) + "/fd", ec)) {
      std::string target = std::filesystem::read_symlink(e.path(), ec).string();
      if (target.rfind("pipe:", 0) != 0) continue;
      pipe_fds.push_back(e.path().filename().string());
      pipe_name = target;
    }
    std::sort(pipe_fds.begin(), pipe_fds.end());
    EXPECT_EQ(pipe_fds, (std::vector<std::string>{"1", "2"}));
    pipes_seen.push_back(pipe_name);
  }
  EXPECT_NE(pipes_seen[0], pipes_seen[1]);
  for (auto* child : {first.get(), second.get()}) {
    child->Kill();
    child->Reap();
    EXPECT_TRUE(GroupGoneSoon(child->pid()));
  }
}

TEST(ProcessCpuTimes, GrowsWithWork) {
  CpuTimes before = ProcessCpuTimes();
  volatile double x = 0;
  for (int i = 0; i < 20000000; ++i) x = x + i * 0.5;
  CpuTimes after = ProcessCpuTimes();
  EXPECT_GT(after.self_seconds, before.self_seconds);
  EXPECT_GE(after.children_seconds, before.children_seconds);
}

}  // namespace
}  // namespace cw
