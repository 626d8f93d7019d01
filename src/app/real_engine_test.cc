// The host logic on the real engine (task list, settings, catalog) in a
// program folder of its own: a temporary folder without data.dat, set once
// for this whole test program before anything reads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <chrono>
#include <memory>
#include <thread>

#include "app/cvela_dlg.h"
#include "bridge/fakes_for_tests.h"
#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "settings/config_object.h"
#include "tasks/encoder_runner.h"
#include "tasks/host_hooks.h"
#include "tasks/engine.h"
#include "testsupport/message_recorder.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

testing::TempDir* program_folder = nullptr;

class ProgramFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    program_folder = new testing::TempDir;
    SetProgramFolderForTesting(program_folder->wpath());
  }
  void TearDown() override {
    delete program_folder;
    program_folder = nullptr;
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new ProgramFolderEnvironment);

// The catalog of the test's program folder, read as a main reads it.
DeviceCatalog ReadProgramCatalog(std::vector<std::wstring>* messages) {
  DeviceCatalog catalog;
  ReadCatalog(CatalogFilePath(), &catalog, messages);
  return catalog;
}

class RealEngineTest : public ::testing::Test {
 protected:
  RealEngineTest() { config.Load(); }
  void TearDown() override {
    core.tasks.StopAllTasks();
    for (int i = 0; i < 500 && ActiveWorkerCount() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::shared_ptr<FileObject> AddWaitingTask(const std::wstring& guid) {
    auto task = std::make_shared<FileObject>();
    task->guid = guid;
    task->fileName = L"a<b & c>.avi";
    task->fromPath = program_folder->wpath() + task->fileName;
    core.tasks.AddTask(task);
    return task;
  }
  std::string config_path() const { return program_folder->File("config.ini"); }

  testing::MessageRecorder messages;
  std::vector<std::wstring> catalog_messages;
  DeviceCatalog catalog = ReadProgramCatalog(&catalog_messages);
  ConfigObject config{program_folder->wpath() + L"config.ini", program_folder->wpath() + L"out", catalog,
                      messages.sink()};
  Engine core{config, catalog, messages.sink()};
  std::vector<std::wstring> log;
  testing::FakeWindow window{log};
  std::unique_ptr<HostEngine> engine = MakeRealHostEngine(core, catalog_messages);
  CvelaDlg dialog{window, *engine};
};

// Without data.dat the message shows before the page opens and the caption
// stays.
TEST_F(RealEngineTest, AMissingCatalogIsReportedBeforeThePageOpens) {
  dialog.OnInitDialog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[1], L"box Please re-install program, it loses some files.");
  EXPECT_EQ(log[2], L"title Clipwright");
  EXPECT_EQ(log[3], L"navigate " + program_folder->wpath() + L"htm/index.htm");
  EXPECT_EQ(engine->GetCatalogText(), L"");
}

TEST_F(RealEngineTest, LowerCaseGuidPausesTheTask) {
  auto task = AddWaitingTask(L"{6A1F0C3E-58B2-4c7d-A1E4-0F9B2D3C4E5F}");
  window.elements[kParmContainer] = L"{6a1f0c3e-58b2-4c7d-a1e4-0f9b2d3c4e5f}";
  dialog.OnExternalCall(L"pauseTask", std::nullopt);
  EXPECT_EQ(task->iStatus, kTaskPaused);
  dialog.OnExternalCall(L"resumeTask", std::nullopt);
  EXPECT_EQ(task->iStatus, kTaskWaiting);
  // Names that only look alike do nothing.
  window.elements[kParmContainer] = L" {6A1F0C3E-58B2-4c7d-A1E4-0F9B2D3C4E5F}";
  dialog.OnExternalCall(L"pauseTask", std::nullopt);
  EXPECT_EQ(task->iStatus, kTaskWaiting);
}

TEST_F(RealEngineTest, DeleteFinishedTaskRemovesOnlyTheNamedTask) {
  AddWaitingTask(L"{A}");
  AddWaitingTask(L"{B}");
  window.elements[kParmContainer] = L"{b}";
  dialog.OnExternalCall(L"deleteFinishedTask", std::nullopt);
  ASSERT_EQ(engine->GetTaskCount(), 1);
  EXPECT_EQ(core.tasks.Snapshot()[0]->guid, L"{A}");
}

TEST_F(RealEngineTest, RemovingTheLastFinishedTaskOpensTheCountdownOnlyWhenAsked) {
  struct Case {
    int32_t need_shutdown;
    int tasks;
    int expected_opens;
  };
  const Case cases[] = {{1, 1, 1}, {0, 1, 0}, {1, 2, 0}, {2, 1, 0}};
  for (const Case& c : cases) {
    for (const auto& task : core.tasks.Snapshot()) core.tasks.DeleteTask(task->guid);
    int opens = 0;
    HostHook previous = SetShutdownCountdownHook([&opens] { ++opens; });
    config.needShutdown = c.need_shutdown;
    for (int i = 0; i < c.tasks; ++i) AddWaitingTask(L"{T" + std::to_wstring(i) + L"}");
    window.elements[kParmContainer] = L"{t0}";
    dialog.OnExternalCall(L"deleteFinishedTask", std::nullopt);
    SetShutdownCountdownHook(previous);
    config.needShutdown = 0;
    EXPECT_EQ(opens, c.expected_opens) << c.need_shutdown << " " << c.tasks;
    EXPECT_EQ(engine->GetTaskCount(), c.tasks - 1);
  }
}

TEST_F(RealEngineTest, GetOutputFilePathComparesCaseAndGivesEmptyBeforeTheStart) {
  AddWaitingTask(L"{ABC}");
  EXPECT_EQ(dialog.OnExternalCall(L"getOutputFilePath", std::wstring(L"{ABC}")), L"");
  EXPECT_EQ(dialog.OnExternalCall(L"getOutputFilePath", std::wstring(L"{abc}")), L"None");
}

TEST_F(RealEngineTest, SetConfigJsonWithAnEmptyElementStillRewritesConfigIni) {
  std::remove(config_path().c_str());
  window.elements[kConfigParmContainer] = L"";
  dialog.OnExternalCall(L"setConfigJson", std::nullopt);
  std::string saved = program_folder->Read("config.ini");
  EXPECT_NE(saved.find("\"conTasks\": "), std::string::npos) << saved;
}

TEST_F(RealEngineTest, SettingsTravelAsTextBothWays) {
  window.elements[kConfigParmContainer] =
      L"{\"outputDir\": \"/films/a & b <c>\", \"conTasks\": 4, \"needShutdown\": 0}";
  dialog.OnExternalCall(L"setConfigJson", std::nullopt);
  EXPECT_NE(program_folder->Read("config.ini").find("/films/a & b <c>"), std::string::npos);
  window.elements.clear();
  dialog.OnExternalCall(L"getConfigJson", std::nullopt);
  const std::wstring& json = window.elements[kConfigParmContainer];
  EXPECT_NE(json.find(L"\"outputDir\": \"/films/a & b <c>\""), std::wstring::npos) << json;
  EXPECT_NE(json.find(L"\"conTasks\": 4"), std::wstring::npos) << json;
}

TEST_F(RealEngineTest, ClosingWithAnEmptyListWritesConfigIniAndEnds) {
  std::remove(config_path().c_str());
  dialog.OnClose();
  EXPECT_TRUE(FileExists(program_folder->wpath() + L"config.ini"));
  EXPECT_TRUE(dialog.ended());
  EXPECT_EQ(log.back(), L"end cancel");
}

TEST_F(RealEngineTest, ClosingWithATaskAsksAndNoKeepsIt) {
  AddWaitingTask(L"{A}");
  std::remove(config_path().c_str());
  window.yes_answer = false;
  dialog.OnClose();
  EXPECT_TRUE(FileExists(program_folder->wpath() + L"config.ini"));  // saved before the question
  EXPECT_FALSE(dialog.ended());
  EXPECT_EQ(engine->GetTaskCount(), 1);
  window.yes_answer = true;
  dialog.OnClose();
  EXPECT_TRUE(dialog.ended());
}

TEST_F(RealEngineTest, TickHandsThePageTheRenderedList) {
  AddWaitingTask(L"{A}");
  config.conTasks = 0;  // schedules, but starts no encoder
  dialog.OnTimer(CvelaDlg::kRefreshTimerId);
  const std::wstring& json = window.elements[kParmContainer];
  EXPECT_EQ(json.front(), L'[');
  EXPECT_NE(json.find(L"\"fileName\": \"a<b & c>.avi\""), std::wstring::npos) << json;
  EXPECT_NE(json.find(L"\"guid\": \"{A}\""), std::wstring::npos) << json;
  EXPECT_EQ(log.back(), L"call updateProgress");
}

// The order that keeps the parallel slots busy: the refresh that notices a
// run's end starts the next task itself, not the tick after it. Without an
// encoder in this program folder every run ends at once, failed.
TEST_F(RealEngineTest, ARunThatEndedFreesItsSlotInTheRefreshThatStartsTheNext) {
  AddWaitingTask(L"{A}");
  AddWaitingTask(L"{B}");
  config.conTasks = 1;
  dialog.OnTimer(CvelaDlg::kRefreshTimerId);
  EXPECT_NE(window.elements[kParmContainer].find(L"\"iStatus\": 2,"), std::wstring::npos);
  std::shared_ptr<FileObject> first = core.tasks.FindTask(L"{A}");
  for (int i = 0; i < 500 && first->process->finished.load() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(first->process->finished.load(), 1);
  dialog.OnTimer(CvelaDlg::kRefreshTimerId);  // as the wake-up after the run's end does
  const std::wstring& json = window.elements[kParmContainer];
  size_t b = json.find(L"\"guid\": \"{B}\"");
  ASSERT_NE(b, std::wstring::npos);
  EXPECT_NE(json.rfind(L"\"iStatus\": 5,", b), std::wstring::npos) << json;  // A: failed
  EXPECT_NE(json.find(L"\"iStatus\": 2,", json.find(L"{A}")), std::wstring::npos) << json;  // B: started
  for (int i = 0; i < 500 && ActiveWorkerCount() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace
}  // namespace cw
