// The ways of adding files, on the real task list with the fake encoder
// (the real one where the mend for unreadable inputs is checked): order,
// scheduling before the page hears of the tasks, folder scans, drops,
// cancelled choosers and long paths.
#include "sources/add_sources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "bridge/fakes_for_tests.h"
#include "platform/text.h"
#include "sources/fake_shell_for_tests.h"
#include "tasks/engine_test_fixture.h"

namespace cw {
namespace {

using namespace std::chrono_literals;

class AddSourcesTest : public testing::EngineTest {
 protected:
  void TearDown() override {
    for (const auto& t : manager_.Snapshot()) created_.push_back(t);  // checked for surviving encoders
    EngineTest::TearDown();
  }

  std::vector<std::wstring> FromPaths() {
    std::vector<std::wstring> paths;
    for (const auto& t : manager_.Snapshot()) paths.push_back(t->fromPath);
    return paths;
  }
  std::shared_ptr<FileObject> Task(size_t i) {
    return manager_.Snapshot().at(i);
  }
  // The page's log lines, in order.
  std::vector<std::wstring> PageLog() { return log_; }

  std::vector<std::wstring> log_;
  testing::FakeWindow window_{log_};
  testing::FakeShell shell_;
  SourceAdder adder_{window_, shell_, manager_, config_};
};

// Where "iStatus" of the n-th task object stands in a rendered list.
int StateInJson(const std::wstring& json, const std::wstring& file_name) {
  size_t at = json.find(L"\"fileName\": \"" + file_name + L"\"");
  if (at == std::wstring::npos) return -1;
  size_t state = json.find(L"\"iStatus\": ", at);
  return state == std::wstring::npos ? -1 : json[state + 11] - L'0';
}

TEST_F(AddSourcesTest, FilesFromTheDialogArriveInOrderAndTheFirstRunsWhenThePageIsCalled) {
  config_.conTasks = 1;
  std::vector<std::wstring> chosen = {WriteSource("c.avi", "frames=400\npace=0.05\n"),
                                      WriteSource("a.avi", "frames=400\npace=0.05\n"),
                                      WriteSource("b.avi", "frames=400\npace=0.05\n")};
  shell_.files_answer = chosen;
  adder_.AddFilesFromDialog();

  EXPECT_EQ(shell_.log, (std::vector<std::wstring>{L"files ALL Files (*.*)|*"}));
  EXPECT_EQ(FromPaths(), chosen);
  EXPECT_EQ(States(), (std::vector<int>{kTaskRunning, kTaskWaiting, kTaskWaiting}));
  // The page got the whole list, rendered after the scheduler had run.
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[1], L"call addFile");
  const std::wstring json = window_.elements[L"parmContainer"];
  EXPECT_EQ(log_[0], L"set parmContainer=" + json);
  EXPECT_EQ(StateInJson(json, L"c.avi"), kTaskRunning);
  EXPECT_EQ(StateInJson(json, L"a.avi"), kTaskWaiting);
  EXPECT_EQ(StateInJson(json, L"b.avi"), kTaskWaiting);
  EXPECT_LT(json.find(L"c.avi"), json.find(L"a.avi"));
  EXPECT_LT(json.find(L"a.avi"), json.find(L"b.avi"));
  // Each task carries the settings' device and quality of the moment.
  EXPECT_EQ(Task(2)->targetDevice, L"1");
  EXPECT_EQ(Task(2)->outputQuality, L"Low");
  EXPECT_EQ(Task(2)->fileName, L"b.avi");
}

TEST_F(AddSourcesTest, CancelledChoosersAddNothingAndTheFileChooserCallsNoPage) {
  adder_.AddFilesFromDialog();
  adder_.AddFilesFromFolder();
  EXPECT_EQ(shell_.log, (std::vector<std::wstring>{L"files ALL Files (*.*)|*", L"folder 选择路径"}));
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(manager_.GetTaskCount(), 0);
}

TEST_F(AddSourcesTest, AnEmptySelectionStillRefreshesThePage) {
  shell_.files_answer = std::vector<std::wstring>{};
  adder_.AddFilesFromDialog();
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"set parmContainer=[]", L"call addFile"}));
}

TEST_F(AddSourcesTest, AFolderAddsItsFilesButNotHiddenOnesNorSubfolders) {
  config_.conTasks = 0;  // nothing starts: only the adding is looked at
  std::wstring one = WriteSource("one.avi", "frames=1\n", "pick");
  std::wstring two = WriteSource("two.avi", "frames=1\n", "pick");
  WriteSource(".hidden.avi", "frames=1\n", "pick");
  WriteSource("deep.avi", "frames=1\n", "pick/sub");
  shell_.folder_answer = SystemToWide(dir_.File("pick"));

  adder_.AddFilesFromFolder();
  std::vector<std::wstring> paths = FromPaths();
  EXPECT_EQ(std::set<std::wstring>(paths.begin(), paths.end()), (std::set<std::wstring>{one, two}));
  EXPECT_EQ(shell_.log, (std::vector<std::wstring>{L"folder 选择路径"}));
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[1], L"call addFile");
}

TEST_F(AddSourcesTest, AFolderWithoutFilesOrUnreadableStillCallsThePage) {
  std::filesystem::create_directories(dir_.File("empty/sub"));
  for (std::string folder : {"empty", "missing"}) {
    log_.clear();
    shell_.folder_answer = SystemToWide(dir_.File(folder));
    adder_.AddFilesFromFolder();
    EXPECT_EQ(log_, (std::vector<std::wstring>{L"set parmContainer=[]", L"call addFile"})) << folder;
  }
  EXPECT_EQ(manager_.GetTaskCount(), 0);
}

TEST_F(AddSourcesTest, ScanFolderTakesTheFolderWithOrWithoutItsSlash) {
  std::wstring a = WriteSource("a.avi", "", "scan");
  for (std::wstring folder : {SystemToWide(dir_.File("scan")), SystemToWide(dir_.File("scan")) + L"/"}) {
    auto tasks = ScanFolder(folder, config_);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->fromPath, a);
    EXPECT_EQ(tasks[0]->fileName, L"a.avi");
    EXPECT_EQ(tasks[0]->guid.size(), 38u);
  }
}

TEST_F(AddSourcesTest, TheSameFileTwiceMakesTwoTasksWithTheirOwnIdentityAndOutput) {
  config_.conTasks = 2;
  std::wstring clip = WriteSource("clip.avi", "frames=20\npace=0.01\n");
  shell_.files_answer = std::vector<std::wstring>{clip, clip};
  adder_.AddFilesFromDialog();
  ASSERT_EQ(manager_.GetTaskCount(), 2);
  EXPECT_NE(Task(0)->guid, Task(1)->guid);
  EXPECT_EQ(Task(0)->toPath, wout_dir() + L"/clip.mp4");
  EXPECT_EQ(Task(1)->toPath, wout_dir() + L"/clip(1).mp4");
  ASSERT_TRUE(RenderUntil([&] { return States() == std::vector<int>{kTaskDone, kTaskDone}; }));
  EXPECT_TRUE(std::filesystem::exists(out_dir() + "/clip.mp4"));
  EXPECT_TRUE(std::filesystem::exists(out_dir() + "/clip(1).mp4"));
}

TEST_F(AddSourcesTest, DroppedFilesAndAFolderBecomeTasksAndTheFolderFails) {
  UseEncoder(Encoder::kReal);
  config_.conTasks = 3;
  std::filesystem::create_directories(dir_.File("in/a folder"));
  std::wstring text = WriteSource("notes.avi", "not a video at all\n");
  testing::MakeClip(dir_.File("in/clip.avi"), 1, "160x120");
  std::vector<std::wstring> dropped = {SystemToWide(dir_.File("in/clip.avi")), text,
                                       SystemToWide(dir_.File("in/a folder"))};
  adder_.AddDroppedFiles(dropped);
  EXPECT_EQ(FromPaths(), dropped);
  EXPECT_EQ(log_.back(), L"call addFile");
  ASSERT_TRUE(RenderUntil([&] {
    std::vector<int> s = States();
    return std::count(s.begin(), s.end(), kTaskRunning) == 0;
  }, 60s));
  // Only the real clip ends as done; what the encoder cannot read fails.
  EXPECT_EQ(States(), (std::vector<int>{kTaskDone, kTaskFailed, kTaskFailed}));
}

TEST_F(AddSourcesTest, PathsLongerThanAnyFixedBufferWorkWhole) {
  config_.conTasks = 1;
  std::string deep = "in";
  while (deep.size() < 600) deep += "/a-rather-long-folder-name-to-pass-the-old-limits";
  std::wstring source = WriteSource("long.avi", "frames=5\npace=0.01\n", deep);
  ASSERT_GT(source.size(), 600u);
  config_.outputDir = SystemToWide(dir_.File(deep)) + L"/out";

  shell_.folder_answer = SystemToWide(dir_.File(deep));
  adder_.AddFilesFromFolder();
  adder_.AddDroppedFiles({source});
  ASSERT_EQ(FromPaths(), (std::vector<std::wstring>{source, source}));
  ASSERT_TRUE(RenderUntil([&] {
    manager_.ScheduleTasks();
    return States() == std::vector<int>{kTaskDone, kTaskDone};
  }));
  EXPECT_EQ(Task(0)->toPath, config_.outputDir + L"/long.mp4");
  EXPECT_EQ(Task(1)->toPath, config_.outputDir + L"/long(1).mp4");
  std::ifstream out(WideToSystem(Task(0)->toPath));
  std::string content((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("arg: " + WideToSystem(source)), std::string::npos);
  EXPECT_NE(content.find("complete"), std::string::npos);
}

TEST_F(AddSourcesTest, EmptyDroppedPathsAreSkipped) {
  config_.conTasks = 0;
  adder_.AddDroppedFiles({L"", WriteSource("x.avi", "")});
  EXPECT_EQ(manager_.GetTaskCount(), 1);
}

}  // namespace
}  // namespace cw
