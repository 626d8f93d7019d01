// The menu commands and the page methods plugged in by the host commands:
// which page function each item calls, the shutdown item's check mark and
// toggle, Exit through the close routine, drops, the About box, and the
// shutdown countdown opened with a recording command.
#include "app/host_commands.h"

#include <gtest/gtest.h>

#include "app/cvela_dlg.h"
#include "app/shutdown_countdown.h"
#include "bridge/fakes_for_tests.h"
#include "app/menu_table.h"
#include "sources/fake_shell_for_tests.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

class HostCommandsTest : public ::testing::Test {
 protected:
  HostCommandsTest() { config.ApplyDefaults(); }
  static DeviceCatalog ProductOnly() {
    DeviceCatalog catalog;
    catalog.product_name = L"Clipwright";
    catalog.version = L"3.1";
    return catalog;
  }
  std::vector<std::wstring> Calls() {
    std::vector<std::wstring> calls;
    for (const std::wstring& line : log) {
      if (line.rfind(L"call ", 0) == 0 || line.rfind(L"set ", 0) == 0) calls.push_back(line);
    }
    return calls;
  }

  testing::TempDir dir;
  DeviceCatalog catalog = ProductOnly();
  ConfigObject config{dir.wpath() + L"config.ini", dir.wpath() + L"out", catalog, nullptr};
  Engine core{config, catalog, nullptr};
  TaskManager& tasks = core.tasks;
  std::vector<std::wstring> log;
  testing::FakeWindow window{log};
  testing::FakeEngine engine{log};
  testing::FakeShell shell;
  CvelaDlg dialog{window, engine};
  HostCommands commands{dialog, window, shell, core};
};

TEST_F(HostCommandsTest, PageMenuItemsCallTheirPageFunctionAndNothingElse) {
  const struct {
    int command;
    const wchar_t* page_function;
  } cases[] = {{kCmdStartTask, L"startTask"},   {kCmdPauseTask, L"pauseTask"},
               {kCmdDeleteTask, L"deleteTask"}, {kCmdOptions, L"configPanel"},
               {kCmdOnlineHelp, L"onlineHelp"}};
  for (const auto& c : cases) {
    log.clear();
    dialog.OnMenuCommand(c.command);
    EXPECT_EQ(log, (std::vector<std::wstring>{std::wstring(L"call ") + c.page_function})) << c.command;
  }
  EXPECT_TRUE(shell.log.empty());
}

TEST_F(HostCommandsTest, EveryMenuItemOfTheTableIsHandled) {
  shell.folder_answer = dir.wpath();
  int items = 0;
  for (const MenuPopupEntry& popup : MainMenuTable()) {
    for (const MenuItemEntry& item : popup.items) {
      if (!item.text || item.command == kCmdExit) continue;
      ++items;
      size_t before = log.size() + shell.log.size();
      int32_t need_shutdown = config.needShutdown;
      dialog.OnMenuCommand(item.command);
      bool acted = log.size() + shell.log.size() > before || config.needShutdown != need_shutdown;
      EXPECT_TRUE(acted) << item.command;
    }
  }
  EXPECT_EQ(items, 10);
}

TEST_F(HostCommandsTest, ShutdownItemFlipsTheSettingAndTellsThePageWithoutData) {
  const struct {
    int32_t start;
    int32_t first;
    int32_t second;
  } cases[] = {{0, 1, 0}, {1, 0, 1}, {2, 1, 0}, {-3, 1, 0}};
  for (const auto& c : cases) {
    config.needShutdown = c.start;
    log.clear();
    dialog.OnMenuCommand(kCmdShutdownWhenDone);
    EXPECT_EQ(config.needShutdown, c.first) << c.start;
    dialog.OnMenuCommand(kCmdShutdownWhenDone);
    EXPECT_EQ(config.needShutdown, c.second) << c.start;
    EXPECT_EQ(log, (std::vector<std::wstring>{L"call updateConfig", L"call updateConfig"}));
  }
  EXPECT_FALSE(dir.Read("config.ini").size() > 0);  // nothing saved by the toggle
}

TEST_F(HostCommandsTest, CheckMarkFollowsTheSettingOnlyForTheShutdownItem) {
  for (int32_t value : {0, 1, 2, -1}) {
    config.needShutdown = value;
    EXPECT_EQ(dialog.IsMenuItemChecked(kCmdShutdownWhenDone), value != 0) << value;
    EXPECT_FALSE(dialog.IsMenuItemChecked(kCmdOptions)) << value;
  }
}

TEST_F(HostCommandsTest, ExitRunsTheCloseRoutine) {
  engine.task_ids = {L"{A}"};
  window.yes_answer = false;
  dialog.OnMenuCommand(kCmdExit);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"save", std::wstring(L"ask ") + CvelaDlg::kQuitQuestion}));
  EXPECT_FALSE(dialog.ended());
  engine.task_ids.clear();
  dialog.OnMenuCommand(kCmdExit);
  EXPECT_TRUE(dialog.ended());
  EXPECT_EQ(log.back(), L"end cancel");
}

TEST_F(HostCommandsTest, AboutBoxShowsProductVersionAndWhatWeShipWith) {
  dialog.OnMenuCommand(kCmdAbout);
  ASSERT_EQ(shell.about_boxes.size(), 1u);
  const AboutBoxTexts& about = shell.about_boxes[0];
  EXPECT_EQ(about.title, L"About Clipwright");
  EXPECT_EQ(about.version, L"Version 3.1");
  EXPECT_EQ(about.icon_path, IconPath());
  bool ffmpeg = false;
  for (const std::wstring& line : about.credits) {
    ffmpeg = ffmpeg || line.find(L"FFmpeg") != std::wstring::npos;
    EXPECT_EQ(line.find(L"ExtJS"), std::wstring::npos);  // the page uses no such library
  }
  EXPECT_TRUE(ffmpeg);

  EXPECT_EQ(MakeAboutBoxTexts(L"", L"").title, L"About ");
  EXPECT_EQ(MakeAboutBoxTexts(L"", L"").version, L"Version ");
}

TEST_F(HostCommandsTest, PageMethodsReachTheChoosersAndTheFileManager) {
  const std::wstring first_output = config.outputDir;
  dialog.OnExternalCall(L"addFiles", std::nullopt);
  dialog.OnExternalCall(L"addDir", std::nullopt);
  dialog.OnExternalCall(L"selectOutputDir", std::nullopt);
  dialog.OnExternalCall(L"locateInputFile", L"{NONE}");
  config.outputDir = dir.wpath() + L"made";
  dialog.OnExternalCall(L"openOutputDir", std::nullopt);
  EXPECT_EQ(shell.log, (std::vector<std::wstring>{L"files ALL Files (*.*)|*", L"folder 选择路径",
                                                  L"folder 选择路径 at " + first_output,
                                                  L"open " + config.outputDir}));
  EXPECT_TRUE(Calls().empty());  // all cancelled, nothing found: the page hears nothing
}

TEST_F(HostCommandsTest, DroppedFilesBecomeTasksAndThePageIsCalled) {
  config.conTasks = 0;
  dialog.OnFilesDropped({});
  EXPECT_TRUE(log.empty());
  dialog.OnFilesDropped({dir.wpath() + L"a.avi", dir.wpath() + L"b.avi"});
  EXPECT_EQ(tasks.GetTaskCount(), 2);
  EXPECT_EQ(log.back(), L"call addFile");
}

TEST_F(HostCommandsTest, AfterTheDialogEndedMenusAndDropsDoNothing) {
  dialog.OnOK();
  log.clear();
  dialog.OnMenuCommand(kCmdStartTask);
  dialog.OnFilesDropped({dir.wpath() + L"a.avi"});
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(tasks.GetTaskCount(), 0);
}

TEST(MnemonicLabel, AmpersandsBecomeUnderscores) {
  EXPECT_EQ(MnemonicLabel(L"&Shutdown computer on completed"), L"_Shutdown computer on completed");
  EXPECT_EQ(MnemonicLabel(L"Add &File(s)..."), L"Add _File(s)...");
  EXPECT_EQ(MnemonicLabel(L"a_b && c"), L"a__b & c");
}

struct CountdownFixture {
  testing::FakeShell shell;
  int commands_run = 0;
  ShutdownCountdowns countdowns{shell, [this] { ++commands_run; }};
};

TEST(ShutdownCountdowns, TextsTickBySecondAndTheCommandRunsOnceAtTheEnd) {
  CountdownFixture f;
  f.countdowns.Open();
  ASSERT_EQ(f.shell.countdowns.size(), 1u);
  testing::FakeCountdownWindow& w = *f.shell.countdowns[0];
  EXPECT_EQ(f.shell.countdown_texts[0].caption, L"Reelmarch - Auto Shutdown");
  EXPECT_EQ(f.shell.countdown_texts[0].shutdown_now, L"Shutdown Right Now");
  EXPECT_EQ(f.shell.countdown_texts[0].cancel, L"Cancel Shutdown");
  EXPECT_EQ(w.timer_period, 1000);
  EXPECT_EQ(w.texts.back(), L"Computer is going to shutdown in 60 second");
  for (int second = 1; second <= 60; ++second) {
    EXPECT_EQ(f.commands_run, 0) << second;
    w.Tick();
    EXPECT_EQ(w.texts.back(), L"Computer is going to shutdown in " + std::to_wstring(61 - second) + L" seconds");
  }
  EXPECT_EQ(f.commands_run, 1);
  for (int late = 0; late < 5; ++late) w.Tick();  // the timer has stopped
  EXPECT_EQ(f.commands_run, 1);
  EXPECT_EQ(f.countdowns.open_count(), 1);  // the window stays open
}

TEST(ShutdownCountdowns, CancelClosesWithNothingRunAndEachOpeningIsANewWindow) {
  CountdownFixture f;
  f.countdowns.Open();
  f.shell.countdowns[0]->Tick();
  f.shell.countdowns[0]->events.on_cancel();
  EXPECT_TRUE(f.shell.countdowns[0]->closed);
  EXPECT_EQ(f.countdowns.open_count(), 0);
  f.countdowns.Open();
  ASSERT_EQ(f.shell.countdowns.size(), 2u);
  f.shell.countdowns[1]->events.on_shutdown_now();
  EXPECT_EQ(f.commands_run, 1);
  EXPECT_EQ(f.countdowns.open_count(), 1);
}

}  // namespace
}  // namespace cw
