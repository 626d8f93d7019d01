// Tests of the main dialog's host logic against a fake window and engine:
// start-up order, the refresh tick, the close routine and the click bindings.
#include "app/cvela_dlg.h"

#include <gtest/gtest.h>

#include "app/cvela_app.h"
#include "bridge/fakes_for_tests.h"
#include "platform/files.h"

namespace cw {
namespace {

using Log = std::vector<std::wstring>;

class CvelaDlgTest : public ::testing::Test {
 protected:
  Log log;
  testing::FakeWindow window{log};
  testing::FakeEngine engine{log};
  CvelaDlg dialog{window, engine};

  void SetUp() override { window.SetEvents(&dialog); }
  const std::wstring quit = std::wstring(L"ask ") + CvelaDlg::kQuitQuestion;
};

TEST_F(CvelaDlgTest, InitShowsCatalogMessagesBeforeThePageThenStartsTheTimer) {
  engine.catalog_messages = {L"Please re-install program, it loses some files."};
  dialog.OnInitDialog();
  const Log expected = {
      L"icon " + ProgramFolder() + L"app.ico",
      L"loadcatalog",
      L"box Please re-install program, it loses some files.",
      L"title Clipwright v2.0",
      L"navigate " + ProgramFolder() + L"htm/index.htm",
      L"timer 1 2000",
  };
  EXPECT_EQ(log, expected);
}

TEST_F(CvelaDlgTest, TitleFormatsNameAndVersionOrKeepsTheCaption) {
  struct Case {
    std::wstring name, version, title;
  };
  const Case cases[] = {
      {L"Clipwright", L"2.0", L"Clipwright v2.0"},
      {L"Clipwright", L"", L"Clipwright v"},
      {L"", L"2.0", L"Clipwright"},  // no catalog: the caption stands
      {L"X & <Y>", L"3", L"X & <Y> v3"},
  };
  for (const Case& c : cases) {
    engine.product_name = c.name;
    engine.version = c.version;
    EXPECT_EQ(dialog.TitleText(), c.title);
  }
}

TEST_F(CvelaDlgTest, TickSchedulesRendersWritesThenCalls) {
  engine.tasks_json = L"[{\"fileName\": \"a<b & c>.avi\"}]";
  for (int id : {1, 7}) {  // any timer id ticks
    log.clear();
    dialog.OnTimer(id);
    const Log expected = {L"refresh", L"set parmContainer=" + engine.tasks_json,
                          L"call updateProgress"};
    EXPECT_EQ(log, expected);
  }
}

TEST_F(CvelaDlgTest, TheRefreshListenerSeesTheViewsAfterThePageHasThem) {
  engine.task_views.resize(2);
  dialog.SetRefreshListener([this](const std::vector<TaskView>& tasks) {
    log.push_back(L"listener " + std::to_wstring(tasks.size()));
  });
  dialog.OnTimer(1);
  EXPECT_EQ(log, (Log{L"refresh", L"set parmContainer=[]", L"call updateProgress", L"listener 2"}));
}

TEST_F(CvelaDlgTest, CloseRoutineTable) {
  struct Case {
    const char* name;
    int tasks;
    bool answer;
    Log expected_tail;  // after "save"
    bool ended;
  };
  const Case cases[] = {
      {"empty list closes at once", 0, false, {L"end cancel"}, true},
      {"one task, No keeps running", 1, false, {quit}, false},
      {"one task, Yes stops encoders", 1, true, {quit, L"stopall", L"end cancel"}, true},
      {"three tasks, Yes", 3, true, {quit, L"stopall", L"end cancel"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log case_log;
    testing::FakeWindow w{case_log};
    testing::FakeEngine e{case_log};
    CvelaDlg d{w, e};
    e.task_ids.assign(c.tasks, L"{T}");
    w.yes_answer = c.answer;
    d.OnClose();
    Log expected = {L"save"};
    expected.insert(expected.end(), c.expected_tail.begin(), c.expected_tail.end());
    EXPECT_EQ(case_log, expected);
    EXPECT_EQ(d.ended(), c.ended);
  }
}

TEST_F(CvelaDlgTest, NoKeepsTheRefreshGoingAndAllowsALaterClose) {
  engine.task_ids = {L"{T}"};
  dialog.OnCancel();
  log.clear();
  dialog.OnTimer(1);
  EXPECT_EQ(log.back(), L"call updateProgress");
  window.yes_answer = true;
  log.clear();
  dialog.OnCancel();
  EXPECT_EQ(log, (Log{L"save", quit, L"stopall", L"end cancel"}));
}

TEST_F(CvelaDlgTest, TheQueueEstimateIsWrittenWhenItChanges) {
  engine.queue_estimate = L"Queue: 20 minutes";
  dialog.OnTimer(1);
  EXPECT_EQ(window.elements[kQueueEstimate], L"Queue: 20 minutes");
  log.clear();
  dialog.OnTimer(1);
  EXPECT_EQ(log.back(), L"call updateProgress");  // unchanged: not written again
  engine.queue_estimate = L"";
  dialog.OnTimer(1);
  EXPECT_EQ(window.elements[kQueueEstimate], L"");
}

TEST_F(CvelaDlgTest, TheQueueEstimatesSecondsGoBesideItsText) {
  engine.queue_estimate = L"Queue: 2 minutes";
  engine.queue_seconds = 150.4;
  dialog.OnTimer(1);
  EXPECT_EQ(window.data[std::wstring(kQueueEstimate) + L".seconds"], L"150");
  EXPECT_EQ(window.elements[kQueueEstimate], L"Queue: 2 minutes");
  // The seconds change while the text stays: only the seconds are written.
  engine.queue_seconds = 148.6;
  log.clear();
  dialog.OnTimer(1);
  EXPECT_EQ(log, (Log{L"refresh", L"set parmContainer=[]", L"call updateProgress",
                      std::wstring(L"data ") + kQueueEstimate + L".seconds=149"}));
  engine.queue_seconds = -1;
  engine.queue_estimate = L"";
  dialog.OnTimer(1);
  EXPECT_EQ(window.data[std::wstring(kQueueEstimate) + L".seconds"], L"");
  EXPECT_EQ(window.elements[kQueueEstimate], L"");
}

TEST(QueueSecondsText, WholeSecondsOrNothing) {
  struct Case { double seconds; const wchar_t* text; } cases[] = {
      {-1, L""}, {0, L"0"}, {0.4, L"0"}, {59.5, L"60"}, {86400, L"86400"},
      {1.0 / 0.0, L""}, {0.0 / 0.0, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(QueueSecondsText(c.seconds), c.text) << c.seconds;
}

TEST_F(CvelaDlgTest, TicksGoOnWhileTheQuestionIsOpen) {
  engine.task_ids = {L"{T}"};
  window.yes_answer = true;
  window.while_asking = [this] { window.events->OnTimer(1); };
  dialog.OnCancel();
  EXPECT_EQ(log, (Log{L"save", quit, L"refresh", L"set parmContainer=[]", L"call updateProgress",
                      L"stopall", L"end cancel"}));
}

TEST_F(CvelaDlgTest, ASecondCloseWhileAskingDoesNotAskAgain) {
  engine.task_ids = {L"{T}"};
  window.yes_answer = false;
  window.while_asking = [this] {
    window.events->OnClose();
    window.events->OnElementClick(L"ButtonCancel");
  };
  dialog.OnCancel();
  EXPECT_EQ(log, (Log{L"save", quit}));
  EXPECT_FALSE(dialog.ended());
}

TEST_F(CvelaDlgTest, ButtonOkEndsAtOnceWithoutSavingOrStopping) {
  engine.task_ids = {L"{T}"};
  dialog.OnElementClick(L"ButtonOK");
  EXPECT_EQ(log, (Log{L"end ok"}));
  // Nothing reaches the page or the engine once the dialog has ended.
  log.clear();
  dialog.OnTimer(1);
  dialog.OnElementClick(L"ButtonCancel");
  EXPECT_EQ(dialog.OnExternalCall(L"getOutputFilePath", std::wstring(L"{T}")), std::nullopt);
  EXPECT_TRUE(log.empty());
}

TEST_F(CvelaDlgTest, TheEndListenerHearsHowTheDialogEnded) {
  struct Case {
    const char* name;
    int tasks;
    bool answer;
    std::function<void(CvelaDlg&)> act;
    Log expected;
  };
  const Case cases[] = {
      {"empty list closed", 0, false, [](CvelaDlg& d) { d.OnClose(); }, {L"save", L"ended closed", L"end cancel"}},
      {"Yes to the question", 2, true, [](CvelaDlg& d) { d.OnCancel(); },
       {L"save", quit, L"stopall", L"ended closed", L"end cancel"}},
      {"No to the question", 2, false, [](CvelaDlg& d) { d.OnCancel(); }, {L"save", quit}},
      {"OK", 2, false, [](CvelaDlg& d) { d.OnOK(); }, {L"ended ok", L"end ok"}},
      // No question: the queue is kept before the encoders are stopped.
      {"stop request", 2, false, [](CvelaDlg& d) { d.OnStopRequest(); },
       {L"save", L"ended stop", L"stopall", L"end cancel"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log case_log;
    testing::FakeWindow w{case_log};
    testing::FakeEngine e{case_log};
    CvelaDlg d{w, e};
    e.task_ids.assign(c.tasks, L"{T}");
    w.yes_answer = c.answer;
    d.SetEndListener([&case_log](CvelaDlg::EndReason reason) {
      case_log.push_back(reason == CvelaDlg::EndReason::kClosed ? L"ended closed"
                         : reason == CvelaDlg::EndReason::kOk   ? L"ended ok"
                                                                : L"ended stop");
    });
    c.act(d);
    EXPECT_EQ(case_log, c.expected);
    d.OnStopRequest();  // a later request finds the dialog ended, or ends it
    EXPECT_TRUE(d.ended());
  }
}

TEST_F(CvelaDlgTest, AStopRequestWhileTheQuitQuestionIsOpenEndsWithoutASecondStop) {
  engine.task_ids = {L"{T}"};
  window.yes_answer = true;
  window.while_asking = [this] { dialog.OnStopRequest(); };
  dialog.OnCancel();
  EXPECT_EQ(log, (Log{L"save", quit, L"save", L"stopall", L"end cancel"}));
  EXPECT_TRUE(dialog.ended());
}

TEST_F(CvelaDlgTest, CommandsAreFollowedByTheCommandListener) {
  int told = 0;
  dialog.SetCommandListener([&told] { ++told; });
  dialog.OnExternalCall(L"pauseTask", std::nullopt);
  dialog.OnFilesDropped({L"/v/a.avi"});  // no host commands set: nothing happens, nothing told
  dialog.OnExternalCall(L"resumeTask", std::nullopt);
  EXPECT_EQ(told, 2);
  dialog.OnOK();
  dialog.OnExternalCall(L"pauseTask", std::nullopt);
  EXPECT_EQ(told, 2);
}

TEST_F(CvelaDlgTest, ButtonCancelRunsTheCloseRoutine) {
  engine.task_ids = {L"{T}"};
  window.yes_answer = true;
  dialog.OnElementClick(L"ButtonCancel");
  EXPECT_EQ(log, (Log{L"save", quit, L"stopall", L"end cancel"}));
}

TEST_F(CvelaDlgTest, OtherClicksDoNothing) {
  dialog.OnElementClick(L"buttonok");
  dialog.OnElementClick(L"");
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(dialog.ended());
}

TEST_F(CvelaDlgTest, ExternalCallsReachTheMethodTable) {
  window.elements[kParmContainer] = L"{abc}";
  EXPECT_EQ(dialog.OnExternalCall(L"pauseTask", std::nullopt), std::nullopt);
  EXPECT_EQ(dialog.OnExternalCall(L"getOutputFilePath", std::wstring(L"{abc}")), L"None");
  EXPECT_EQ(log, (Log{L"pause {abc}"}));
}

TEST(CvelaApp, RunsInitThenTheModalLoop) {
  Log log;
  testing::FakeWindow window{log};
  testing::FakeEngine engine{log};
  EXPECT_EQ(CvelaApp::Run(window, engine), 0);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], L"timer 1 2000");
  EXPECT_EQ(log.back(), L"run");
  EXPECT_EQ(window.events, nullptr);
}

}  // namespace
}  // namespace cw
