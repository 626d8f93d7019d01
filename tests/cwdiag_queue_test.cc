// cwdiag queue, run as a process on prepared program folders whose xenc is
// the fake encoder script: conversions, exit status, messages, commands on
// standard input, and the wake-up at the end of a run.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using namespace std::chrono_literals;

struct QueueRun {
  std::vector<std::string> lines;
  int exit_code = -1;
};

class CwdiagQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("prog"));
    std::filesystem::create_directories(dir_.File("in"));
    std::filesystem::copy_file(std::string(CW_BUILD_DIR) + "/data.dat", dir_.File("prog/data.dat"));
    std::filesystem::create_symlink(std::string(CW_SOURCE_DIR) + "/src/tasks/testdata/fake_encoder.sh",
                                    dir_.File("prog/xenc"));
    WriteConfig(1);
  }

  void TearDown() override {
    // No encoder of this test may still run: every one names the test's folder.
    EXPECT_TRUE(cw::testing::NoProcessMentions(dir_.path()));
  }

  void WriteConfig(int con_tasks) {
    dir_.Write("prog/config.ini", "{\"targetDevice\": \"1\",\"outputQuality\": \"Low\",\"outputDir\": \"" +
                                      dir_.File("out") + "\",\"conTasks\": " + std::to_string(con_tasks) +
                                      ",\"needShutdown\": 0}");
  }

  std::string Source(const std::string& name, const std::string& behaviour) {
    dir_.Write("in/" + name, behaviour);
    return dir_.File("in/" + name);
  }

  std::vector<std::wstring> QueueArgv(const std::vector<std::string>& files, int tick_ms) {
    std::vector<std::wstring> argv = {SystemToWide(std::string(CW_BUILD_DIR) + "/cwdiag"), L"queue", L"--dir",
                                      SystemToWide(dir_.File("prog")), L"--tick", std::to_wstring(tick_ms)};
    for (const auto& f : files) argv.push_back(SystemToWide(f));
    return argv;
  }

  // Runs the queue to its end with an empty standard input.
  QueueRun Run(const std::vector<std::string>& files, int tick_ms = 100) {
    return Drive(QueueArgv(files, tick_ms), [](const std::string&) {});
  }

  // Runs a command; `on_line` sees every output line as it comes. The run is
  // killed if it has not ended within a minute.
  QueueRun Drive(const std::vector<std::wstring>& argv, const std::function<void(const std::string&)>& on_line) {
    QueueRun run;
    ChildProcess::StartError error;
    std::shared_ptr<ChildProcess> child = ChildProcess::Start(argv, &error);
    if (!child) {
      ADD_FAILURE() << error.reason;
      return run;
    }
    std::thread watchdog([child] {
      if (!child->WaitForEnd(60000)) child->Kill();
    });
    std::string pending, chunk;
    while (child->ReadOutput(&chunk)) {
      pending += chunk;
      for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
        run.lines.push_back(pending.substr(0, nl));
        pending.erase(0, nl + 1);
        on_line(run.lines.back());
      }
    }
    ProcessExit end = child->Reap();
    watchdog.join();
    run.exit_code = end.exited ? end.exit_code : -end.signal_number;
    return run;
  }

  testing::TempDir dir_;
};

// The value after `key` in the task object of `file_name` on a JSON line.
std::optional<std::string> Member(const std::string& line, const std::string& file_name, const std::string& key) {
  size_t object = line.find("{\"fileName\": \"" + file_name + "\"");
  if (object == std::string::npos) return std::nullopt;
  size_t end = line.find('}', object);
  size_t at = line.find("\"" + key + "\": ", object);
  if (at == std::string::npos || at > end) return std::nullopt;
  at += key.size() + 4;
  if (line[at] == '"') {
    size_t close = line.find('"', at + 1);
    return line.substr(at + 1, close - at - 1);
  }
  return line.substr(at, line.find_first_of(",}", at) - at);
}

std::optional<std::string> State(const std::string& line, const std::string& file_name) {
  return Member(line, file_name, "iStatus");
}

bool IsJsonLine(const std::string& line) { return !line.empty() && line.front() == '['; }

// The last task list printed (the processor-time line on standard error
// comes through the same pipe).
std::string LastJson(const QueueRun& run) {
  for (auto it = run.lines.rbegin(); it != run.lines.rend(); ++it) {
    if (IsJsonLine(*it)) return *it;
  }
  return "";
}

TEST_F(CwdiagQueueTest, ConvertsEveryFileAndExitsZeroWhenAllAreDone) {
  WriteConfig(2);
  QueueRun run = Run({Source("a.avi", "frames=10\npace=0.01\n"), Source("b.avi", "frames=10\npace=0.01\n"),
                      Source("c.avi", "frames=10\npace=0.01\n")});
  EXPECT_EQ(run.exit_code, 0);
  ASSERT_FALSE(run.lines.empty());
  for (const auto& line : run.lines) {
    EXPECT_TRUE(IsJsonLine(line) || line.rfind("queue: engine cpu ", 0) == 0) << line;
  }
  EXPECT_EQ(State(run.lines.front(), "a.avi"), "2");
  EXPECT_EQ(State(run.lines.front(), "b.avi"), "2");
  EXPECT_EQ(State(run.lines.front(), "c.avi"), "1");
  const std::string last = LastJson(run);
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
    EXPECT_EQ(State(last, name), "4") << last;
    EXPECT_EQ(Member(last, name, "progress"), "100.000000");
  }
  EXPECT_EQ(Member(last, "b.avi", "toPath"), dir_.File("out/b.mp4"));
  EXPECT_NE(dir_.Read("out/c.mp4").find("complete"), std::string::npos);
}

TEST_F(CwdiagQueueTest, ExitsOneWhenATaskFailedAndPrintsMessages) {
  QueueRun failing = Run({Source("bad.avi", "frames=5\npace=0\nexit=2\n"), Source("ok.avi", "frames=5\npace=0\n")});
  EXPECT_EQ(failing.exit_code, 1);
  EXPECT_EQ(State(LastJson(failing), "bad.avi"), "5");
  EXPECT_EQ(State(LastJson(failing), "ok.avi"), "4");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out/bad.mp4")));

  std::filesystem::remove(dir_.File("prog/xenc"));
  QueueRun missing = Run({Source("x.avi", "frames=5\n")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(std::find(missing.lines.begin(), missing.lines.end(),
                      "message: Program encounter problem, please reinstall it."),
            missing.lines.end());
}

TEST_F(CwdiagQueueTest, TheEndOfARunStartsTheNextTaskWithoutWaitingForTheTick) {
  // With a tick of ten minutes only the wake-ups can move the queue along.
  QueueRun run = Run({Source("a.avi", "frames=5\npace=0\n"), Source("b.avi", "frames=5\npace=0\n")}, 600000);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(State(LastJson(run), "a.avi"), "4");
  EXPECT_EQ(State(LastJson(run), "b.avi"), "4");
}

TEST_F(CwdiagQueueTest, CommandsOnStandardInputPauseResumeDeleteAndChangeTheLimit) {
  WriteConfig(0);  // nothing starts until the limit is raised
  std::vector<std::string> files = {Source("hang.avi", "mode=hang\n"), Source("quick.avi", "frames=5\npace=0\n"),
                                    Source("held.avi", "frames=5\npace=0\n")};
  // Standard input comes from a named pipe that this test writes to.
  std::string fifo = dir_.File("commands");
  ASSERT_EQ(Drive({L"/usr/bin/mkfifo", SystemToWide(fifo)}, [](const std::string&) {}).exit_code, 0);
  std::vector<std::wstring> argv = {L"/bin/sh", L"-c", L"fifo=$1; shift; exec \"$@\" < \"$fifo\"", L"sh",
                                    SystemToWide(fifo)};
  for (const auto& a : QueueArgv(files, 100)) argv.push_back(a);

  std::ofstream commands;
  std::thread opener([&] { commands.open(fifo); });  // blocks until the queue opens its end
  std::map<std::string, std::string> guid;
  int step = 0;
  auto send = [&](const std::string& line) {
    commands << line << "\n";
    commands.flush();
  };
  QueueRun run = Drive(argv, [&](const std::string& line) {
    if (!IsJsonLine(line)) return;
    auto hang = State(line, "hang.avi"), quick = State(line, "quick.avi"), held = State(line, "held.avi");
    if (step == 0) {
      opener.join();
      for (const char* name : {"hang.avi", "quick.avi", "held.avi"}) guid[name] = *Member(line, name, "guid");
      send("pause " + guid["held.avi"]);
      send("contasks 2");
      step = 1;
    } else if (step == 1 && hang == "2" && quick == "4" && held == "3" &&
               std::filesystem::exists(dir_.File("out/hang.mp4.clipwright-partial")) &&
               std::filesystem::file_size(dir_.File("out/hang.mp4.clipwright-partial")) > 0) {
      // Paused only once its encoder has written into its (partial) output:
      // a pause that arrives earlier freezes the encoder before it writes.
      send("pause " + guid["hang.avi"]);
      send("deletefinished " + guid["quick.avi"]);
      step = 2;
    } else if (step == 2 && hang == "3" && !quick) {
      EXPECT_TRUE(std::filesystem::exists(dir_.File("out/quick.mp4")));  // a finished output stays
      EXPECT_TRUE(std::filesystem::exists(dir_.File("out/hang.mp4.clipwright-partial")));
      EXPECT_FALSE(std::filesystem::exists(dir_.File("out/hang.mp4")));  // not finished: no final name
      send("delete " + guid["hang.avi"]);
      send("resume " + guid["held.avi"]);
      step = 3;
    }
  });
  if (opener.joinable()) {
    std::ifstream unblock(fifo);  // the queue never opened its end
    opener.join();
  }
  EXPECT_EQ(step, 3);
  EXPECT_EQ(run.exit_code, 0);
  const std::string last = LastJson(run);
  EXPECT_FALSE(State(last, "hang.avi"));
  EXPECT_EQ(State(last, "held.avi"), "4");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out/hang.mp4")));  // the partial output went with it
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out/hang.mp4.clipwright-partial")));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("out/held.mp4")));
}

TEST_F(CwdiagQueueTest, RefusesBadArguments) {
  for (const std::vector<std::wstring>& extra :
       {std::vector<std::wstring>{}, {L"--tick", L"0", L"a"}, {L"--tick", L"x", L"a"}, {L"--bogus", L"a"}}) {
    std::vector<std::wstring> argv = {SystemToWide(std::string(CW_BUILD_DIR) + "/cwdiag"), L"queue"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    EXPECT_EQ(Drive(argv, [](const std::string&) {}).exit_code, 2);
  }
}

}  // namespace
}  // namespace cw
