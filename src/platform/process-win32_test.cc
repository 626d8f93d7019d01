// Tests of the Windows child processes with the stand-in program (built by
// the same toolchain): the command line's quoting, exit codes, freezing by
// suspended threads, timed waits and reads, and the job object that ends what
// a killed program started.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using namespace std::chrono_literals;

std::wstring StandIn() { return SystemToWide(CW_STAND_IN); }

std::unique_ptr<ChildProcess> StartOrFail(const std::vector<std::wstring>& argv) {
  ChildProcess::StartError error;
  auto child = ChildProcess::Start(argv, &error);
  EXPECT_TRUE(child) << error.reason;
  return child;
}

std::string ReadAll(ChildProcess& child) {
  std::string all, chunk;
  while (child.ReadOutput(&chunk)) all += chunk;
  return all;
}

// Reads until `text` has come (or the output ends).
std::string ReadUntil(ChildProcess& child, const std::string& text) {
  std::string all, chunk;
  while (all.find(text) == std::string::npos && child.ReadOutput(&chunk)) all += chunk;
  return all;
}

// The id of the process that `stand_in --spawn` started, as it says in its
// first line ("child PID"); -1 when it says something else.
int ChildItStarted(ChildProcess& spawner) {
  std::string said = ReadUntil(spawner, "\n");
  EXPECT_EQ(said.rfind("child ", 0), 0u) << said;
  return said.rfind("child ", 0) == 0 ? std::stoi(said.substr(6)) : -1;
}

bool GoneSoon(int pid) {
  for (int i = 0; i < 300 && ProcessGroupAlive(pid); ++i) std::this_thread::sleep_for(10ms);
  return !ProcessGroupAlive(pid);
}

// Every argument comes back exactly as given: the stand-in prints its argv,
// split again by its C runtime from the one line Windows passes.
TEST(ChildProcessWin32, ArgumentsSurviveTheCommandLine) {
  const std::vector<std::string> args = {
      "plain", "two words", "", " ", "\"quoted\"", "say \"hi\" now", "&", "a&b", "100%", "%PATH%", "^", "x^&y",
      "trailing\\", "trailing space\\", "two\\\\", "\\\"", "a\\\\\"b", "back\\slash", "<in >out |pipe", "\t",
      "caf\xc3\xa9", "\xe6\x97\xa5\xe6\x9c\xac", "\xf0\x9f\x98\x80", std::string(5000, 'x')};
  std::vector<std::wstring> argv = {StandIn(), L"--echo"};
  std::string expected;
  for (const auto& a : args) {
    argv.push_back(SystemToWide(a));
    expected += "[" + a + "]";
  }
  auto child = StartOrFail(argv);
  ASSERT_TRUE(child);
  EXPECT_EQ(ReadAll(*child), expected);
  EXPECT_TRUE(child->Reap().SucceededNormally());
}

TEST(ChildProcessWin32, ReportsExitCodes) {
  for (int code : {0, 1, 3, 255, 1000}) {
    auto child = StartOrFail({StandIn(), L"--exit", std::to_wstring(code)});
    ASSERT_TRUE(child);
    EXPECT_EQ(ReadAll(*child), "");
    ProcessExit end = child->Reap();
    EXPECT_TRUE(end.exited) << code;
    EXPECT_EQ(end.exit_code, code);
    EXPECT_EQ(end.SucceededNormally(), code == 0);
    EXPECT_EQ(child->Reap().exit_code, code);  // the same again
  }
}

TEST(ChildProcessWin32, MissingProgramsAndBatchFilesAreNotStarted) {
  testing::TempDir dir;
  ChildProcess::StartError error;
  EXPECT_FALSE(ChildProcess::Start({dir.wpath() + L"missing.exe"}, &error));
  EXPECT_FALSE(error.reason.empty());
  dir.Write("run.bat", "@echo hi\r\n");
  EXPECT_FALSE(ChildProcess::Start({dir.wpath() + L"run.bat", L"&calc"}, &error));
  EXPECT_EQ(error.reason, "batch files are not started");
  EXPECT_FALSE(ChildProcess::Start({}, &error));
}

// The dots the busy stand-in printed in `ms` milliseconds: each stands for
// 10 ms of processor time it used.
size_t DotsWithin(ChildProcess& child, int ms) {
  size_t dots = 0;
  std::string chunk;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
    if (left <= 0 || child.ReadOutputWithin(&chunk, left) != ChildProcess::ReadResult::kData) return dots;
    dots += static_cast<size_t>(std::count(chunk.begin(), chunk.end(), '.'));
  }
}

// Frozen, the stand-in does no work (its count of processor time stops);
// resumed, it works again. (Wine does not report another process's times
// through GetProcessTimes, so the stand-in counts them itself.)
TEST(ChildProcessWin32, PauseStopsTheProcessorTimeAndResumeGivesItBack) {
  auto child = StartOrFail({StandIn(), L"--busy"});
  ASSERT_TRUE(child);
  ASSERT_EQ(ReadUntil(*child, "busy\n").substr(0, 5), "busy\n");
  EXPECT_GT(DotsWithin(*child, 300), 0u);
  EXPECT_FALSE(ProcessStopped(child->pid()));
  ASSERT_TRUE(child->Suspend());
  ASSERT_TRUE(child->Suspend());  // once frozen, stays frozen by one count
  EXPECT_TRUE(ProcessStopped(child->pid()));
  DotsWithin(*child, 50);  // what it wrote before it froze
  EXPECT_EQ(DotsWithin(*child, 400), 0u);
  ASSERT_TRUE(child->Resume());  // one resume is enough after two suspends
  EXPECT_FALSE(ProcessStopped(child->pid()));
  EXPECT_GT(DotsWithin(*child, 1000), 0u);
  EXPECT_FALSE(child->WaitForEnd(50));
  ASSERT_TRUE(child->Kill());
  EXPECT_TRUE(child->WaitForEnd(5000));
  ProcessExit end = child->Reap();
  EXPECT_FALSE(end.exited);
  EXPECT_EQ(end.signal_number, 9);
  EXPECT_TRUE(GoneSoon(child->pid()));
  EXPECT_TRUE(child->Suspend());  // ignored once reaped
}

TEST(ChildProcessWin32, AFrozenChildCanBeKilled) {
  auto child = StartOrFail({StandIn(), L"--busy"});
  ASSERT_TRUE(child);
  ReadUntil(*child, "busy\n");
  ASSERT_TRUE(child->Suspend());
  ASSERT_TRUE(child->Kill());
  EXPECT_FALSE(child->Reap().exited);
  EXPECT_TRUE(GoneSoon(child->pid()));
}

TEST(ChildProcessWin32, ReadsTimeOutWhileTheChildIsSilent) {
  testing::TempDir dir;
  dir.Write("hang.avi", "mode=hang\n");
  auto child = StartOrFail({StandIn(), L"-i", SystemToWide(dir.File("hang.avi")), SystemToWide(dir.File("out.mp4"))});
  ASSERT_TRUE(child);
  ReadUntil(*child, "Output #0");
  std::string chunk;
  ChildProcess::ReadResult result;
  while ((result = child->ReadOutputWithin(&chunk, 300)) == ChildProcess::ReadResult::kData) {
  }
  EXPECT_EQ(result, ChildProcess::ReadResult::kSilent);
  ASSERT_TRUE(child->Kill());
  EXPECT_EQ(child->ReadOutputWithin(&chunk, 5000), ChildProcess::ReadResult::kClosed);
  child->Reap();
}

// A program killed while its own child runs: the job the program held for
// that child closes with the program, and the system ends the child.
TEST(ChildProcessWin32, WhatAKilledProgramStartedEndsWithIt) {
  auto parent = StartOrFail({StandIn(), L"--spawn"});
  ASSERT_TRUE(parent);
  const int grandchild = ChildItStarted(*parent);
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(ProcessGroupAlive(grandchild));
  // Only the parent, as another program (or a crash) would end it.
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(parent->pid()));
  ASSERT_NE(process, nullptr);
  ASSERT_TRUE(TerminateProcess(process, 1));
  CloseHandle(process);
  EXPECT_TRUE(parent->Reap().exited);
  EXPECT_TRUE(GoneSoon(grandchild)) << "process " << grandchild << " outlived its parent";
}

// Windows keeps the parent id of a process whose parent ended, and gives ids
// again: only a process made after its parent (or, for an ended parent, after
// this program started) is that parent's child.
TEST(ChildProcessWin32, ChildrenAreTheProcessesAParentMadeNotHoldersOfAReusedId) {
  auto parent = StartOrFail({StandIn(), L"--spawn"});
  ASSERT_TRUE(parent);
  const int grandchild = ChildItStarted(*parent);
  ASSERT_GT(grandchild, 0);
  // (Wine adds a console host of its own to the listed children.)
  std::vector<int> children = ChildProcessIds(parent->pid());
  EXPECT_EQ(std::count(children.begin(), children.end(), grandchild), 1);
  parent->Kill();
  parent->Reap();
  EXPECT_TRUE(GoneSoon(grandchild));

  // Processes older than this test whose parent has ended: none is the child
  // of that parent's id, whoever holds the id now.
  int stale = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    HANDLE holder = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ParentProcessID);
    bool parent_runs = holder && WaitForSingleObject(holder, 0) == WAIT_TIMEOUT;
    if (holder) CloseHandle(holder);
    if (parent_runs || entry.th32ParentProcessID == 0) continue;
    ++stale;
    std::vector<int> listed = ChildProcessIds(static_cast<int>(entry.th32ParentProcessID));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), static_cast<int>(entry.th32ProcessID)), 0)
        << "process " << entry.th32ProcessID << " listed under the ended parent " << entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  if (stale == 0) GTEST_SKIP() << "no process whose parent has ended";
}

TEST(ChildProcessWin32, CountsTheProcessorTimeOfReapedChildren) {
  double before = ProcessCpuTimes().children_seconds;
  auto child = StartOrFail({StandIn(), L"--busy"});
  ASSERT_TRUE(child);
  ReadUntil(*child, "busy\n");
  // Twenty dots: it burned 200 ms of processor time, however loaded the machine.
  size_t dots = 0;
  for (size_t more = 1; dots < 20 && more > 0; dots += more) more = DotsWithin(*child, 5000);
  ASSERT_GE(dots, 20u);
  ASSERT_TRUE(child->Kill());
  child->Reap();
  // A tenth of a second is counted whatever the clock's grain.
  EXPECT_GT(ProcessCpuTimes().children_seconds, before + 0.1);
}

}  // namespace
}  // namespace cw
