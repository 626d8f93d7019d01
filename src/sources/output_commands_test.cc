// The output-location commands on the real task list: choosing and opening
// the output folder, showing a task's files, their messages, and the exact
// case of identities here against the task commands' ignoring of case.
#include "sources/output_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "bridge/fakes_for_tests.h"
#include "platform/text.h"
#include "sources/fake_shell_for_tests.h"
#include "tasks/engine_test_fixture.h"

namespace cw {
namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

class OutputCommandsTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    config_.conTasks = 0;  // nothing starts unless a test says so
  }
  std::vector<std::wstring> log_;
  testing::FakeWindow window_{log_};
  testing::FakeShell shell_;
  OutputCommands commands_{window_, shell_, manager_, config_};
};

TEST_F(OutputCommandsTest, SelectOutputDirHandsThePageTheNewSettings) {
  const std::wstring chosen = wout_dir() + L"/chosen/folder";
  shell_.folder_answer = chosen;
  const std::wstring before = config_.outputDir;
  commands_.SelectOutputDir();
  EXPECT_EQ(config_.outputDir, chosen);
  EXPECT_EQ(shell_.log, (std::vector<std::wstring>{L"folder 选择路径 at " + before}));  // starts at the current one
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[0], L"set configParmContainer=" + config_.ToJson());
  EXPECT_NE(log_[0].find(L"\"outputDir\": \"" + chosen + L"\""), std::wstring::npos);
  EXPECT_EQ(log_[1], L"call updateConfig");
  EXPECT_FALSE(std::filesystem::exists(WideToSystem(chosen)));  // neither created nor saved here
}

TEST_F(OutputCommandsTest, AChosenFolderThatCannotBeUsedKeepsTheOldOneAndSaysWhy) {
  dir_.Write("a-file", "x");
  const std::wstring file = SystemToWide(dir_.File("a-file"));
  shell_.folder_answer = file;
  const std::wstring before = config_.outputDir;
  commands_.SelectOutputDir();
  EXPECT_EQ(config_.outputDir, before);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find(L"box The output folder \"" + file + L"\" is not used"), std::wstring::npos) << log_[0];
}

TEST_F(OutputCommandsTest, SelectOutputDirCancelledOrWithoutPathChangesNothing) {
  std::wstring before = config_.outputDir;
  commands_.SelectOutputDir();           // cancelled
  shell_.folder_answer = std::wstring();  // a choice with no local path
  commands_.SelectOutputDir();
  EXPECT_EQ(config_.outputDir, before);
  EXPECT_TRUE(log_.empty());
}

TEST_F(OutputCommandsTest, OpenOutputDirCreatesAMissingFolderWithItsParentsThenOpensIt) {
  config_.outputDir = SystemToWide(dir_.File("x/y/z"));
  commands_.OpenOutputDir();
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("x/y/z")));
  EXPECT_EQ(shell_.log, (std::vector<std::wstring>{L"open " + config_.outputDir}));

  config_.outputDir = L"";
  commands_.OpenOutputDir();  // the file manager's own default place
  EXPECT_EQ(shell_.log.back(), L"open ");
  EXPECT_TRUE(log_.empty());
}

TEST_F(OutputCommandsTest, LocateOutputFileBeforeTheStartSaysSo) {
  auto task = AddTask(WriteSource("a.avi", "frames=1\n"));
  commands_.LocateOutputFile(task->guid);
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"box Output file will not be exist till it starts converting."}));
  EXPECT_TRUE(shell_.log.empty());
}

TEST_F(OutputCommandsTest, LocateShowsExistingFilesAndNamesMissingOnes) {
  config_.conTasks = 1;
  auto task = AddTask(WriteSource("a.avi", "frames=3\npace=0.01\n"));
  ASSERT_TRUE(RenderUntil([&] {
    manager_.ScheduleTasks();
    return States() == std::vector<int>{kTaskDone};
  }));
  commands_.LocateInputFile(task->guid);
  commands_.LocateOutputFile(task->guid);
  EXPECT_EQ(shell_.log, (std::vector<std::wstring>{L"show " + task->fromPath, L"show " + task->toPath}));
  EXPECT_TRUE(log_.empty());

  // The user has deleted both files meanwhile.
  std::filesystem::remove(WideToSystem(task->fromPath));
  std::filesystem::remove(WideToSystem(task->toPath));
  commands_.LocateInputFile(task->guid);
  commands_.LocateOutputFile(task->guid);
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"box Can't find file:" + task->fromPath,
                                             L"box Can't find file:" + task->toPath}));
  EXPECT_EQ(shell_.log.size(), 2u);
}

TEST_F(OutputCommandsTest, RevealFileOfAnEmptyPathIsAMissingFile) {
  commands_.RevealFile(L"");
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"box Can't find file:"}));
  EXPECT_TRUE(shell_.log.empty());
}

// Identities: the location commands and FindTask compare with case, the task
// commands without; the last of equal identities is the one found.
TEST_F(OutputCommandsTest, IdentityCaseRulesDifferBetweenFindAndTheTaskCommands) {
  auto task = AddTask(WriteSource("a.avi", "frames=1\n"));
  const std::wstring lower = Lower(task->guid);
  ASSERT_NE(lower, task->guid);

  struct Case {
    std::wstring guid;
    bool found;
  } cases[] = {{task->guid, true}, {lower, false}, {task->guid + L" ", false}, {L"", false}};
  for (const Case& c : cases) {
    log_.clear();
    shell_.log.clear();
    EXPECT_EQ(manager_.FindTask(c.guid) != nullptr, c.found) << c.guid;
    commands_.LocateInputFile(c.guid);
    EXPECT_EQ(shell_.log.size(), c.found ? 1u : 0u) << c.guid;
    EXPECT_TRUE(log_.empty()) << c.guid;
  }

  manager_.PauseTask(lower);  // the task commands ignore case
  EXPECT_EQ(States(), (std::vector<int>{kTaskPaused}));
  manager_.ResumeTask(lower);
  EXPECT_EQ(States(), (std::vector<int>{kTaskWaiting}));

  // Two tasks sharing an identity: FindTask yields the later one.
  auto twin = AddTask(WriteSource("b.avi", "frames=1\n"));
  twin->guid = task->guid;
  EXPECT_EQ(manager_.FindTask(task->guid), twin);
}

}  // namespace
}  // namespace cw
