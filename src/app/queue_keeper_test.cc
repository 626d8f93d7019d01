// Tests of the journal keeper against the fake window and a journal in a
// temporary folder: the restore question, a damaged journal set aside, a
// second window's own journal, and what each way of ending leaves.
#include "app/queue_keeper.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>

#include "bridge/fakes_for_tests.h"
#include "platform/files.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using Log = std::vector<std::wstring>;
using std::chrono::milliseconds;

TaskView View(std::wstring guid, int32_t status) {
  TaskView view;
  view.guid = std::move(guid);
  view.fromPath = L"/v/" + view.guid + L".avi";
  view.targetDevice = L"4";
  view.outputQuality = L"Normal";
  view.status = status;
  return view;
}

class QueueKeeperTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
  Log log;
  testing::FakeWindow window{log};
  std::vector<JournalTask> restored;
  std::vector<TaskView> views;
  std::wstring path = dir.wpath() + L"state/clipwright/queue.json";

  std::unique_ptr<QueueKeeper> MakeKeeper(milliseconds interval = milliseconds(0)) {
    QueueKeeper::Services services;
    services.journal_path = path;
    services.restore = [this](const std::vector<JournalTask>& tasks) {
      restored.insert(restored.end(), tasks.begin(), tasks.end());
    };
    services.current_views = [this] { return views; };
    services.settings_output_dir = [] { return std::wstring(L"/out"); };
    services.min_interval = interval;
    services.post_to_ui = [this](std::function<void()> work) {
      std::lock_guard<std::mutex> hold(posted_mutex);
      posted.push_back(std::move(work));
    };
    return std::make_unique<QueueKeeper>(window, std::move(services));
  }

  // Work posted to the UI thread, run by the test as the UI loop would.
  std::mutex posted_mutex;
  std::vector<std::function<void()>> posted;
  bool RunPosted() {
    std::vector<std::function<void()>> work;
    {
      std::lock_guard<std::mutex> hold(posted_mutex);
      work.swap(posted);
    }
    for (auto& w : work) w();
    return !work.empty();
  }

  void WriteJournal(const std::vector<JournalTask>& tasks) {
    CreateDirectories(dir.wpath() + L"state/clipwright");
    ASSERT_TRUE(WriteFileBytes(path, RenderQueueJournal(tasks)));
  }
  std::vector<JournalTask> ReadJournal() {
    std::string bytes;
    std::vector<JournalTask> tasks;
    if (ReadFileBytes(path, &bytes)) {
      EXPECT_TRUE(ParseQueueJournal(bytes, &tasks));
    }
    return tasks;
  }
  const std::vector<JournalTask> last_time = {
      {L"{A}", L"/v/a.avi", L"4", L"Normal", L"/o1", kTaskRunning},
      {L"{B}", L"/v/b.avi", L"17", L"High", L"/o2", kTaskPaused},
      {L"{C}", L"/v/c.avi", L"4", L"Low", L"/o1", kTaskWaiting},
  };
};

TEST_F(QueueKeeperTest, YesRestoresEveryUnfinishedTaskInOrder) {
  WriteJournal(last_time);
  window.yes_answer = true;
  auto keeper = MakeKeeper();
  EXPECT_EQ(keeper->Start(), 3u);
  EXPECT_EQ(log, (Log{L"ask Restore the 3 unfinished conversions from last time?"}));
  EXPECT_EQ(restored, last_time);
  EXPECT_TRUE(keeper->journaling());
}

TEST_F(QueueKeeperTest, NoDiscardsTheJournal) {
  WriteJournal(last_time);
  window.yes_answer = false;
  auto keeper = MakeKeeper();
  EXPECT_EQ(keeper->Start(), 0u);
  EXPECT_EQ(log.size(), 1u);
  EXPECT_TRUE(restored.empty());
  EXPECT_FALSE(FileExists(path));
  // Asked once: a keeper of the next run finds nothing to ask about.
  keeper.reset();
  log.clear();
  MakeKeeper()->Start();
  EXPECT_TRUE(log.empty());
}

TEST_F(QueueKeeperTest, NoJournalNoQuestionAndTheFolderIsMade) {
  auto keeper = MakeKeeper();
  EXPECT_EQ(keeper->Start(), 0u);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(keeper->journaling());
  views = {View(L"{N}", kTaskWaiting), View(L"{D}", kTaskDone)};
  keeper->OnRefresh(views);
  keeper->OnEnd(CvelaDlg::EndReason::kStopRequest);
  std::vector<JournalTask> kept = ReadJournal();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].guid, L"{N}");
  EXPECT_EQ(kept[0].outputDir, L"/out");
}

TEST_F(QueueKeeperTest, ADamagedJournalIsSetAsideWithAMessage) {
  CreateDirectories(dir.wpath() + L"state/clipwright");
  const std::string damaged = RenderQueueJournal(last_time).substr(0, 90);
  ASSERT_TRUE(WriteFileBytes(path, damaged));
  auto keeper = MakeKeeper();
  EXPECT_EQ(keeper->Start(), 0u);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind(L"box The list of conversions kept from last time cannot be read.", 0), 0u) << log[0];
  EXPECT_FALSE(FileExists(path));
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListFolder(dir.wpath() + L"state/clipwright", &entries));
  std::wstring aside;
  for (const FolderEntry& e : entries) {
    if (e.name.rfind(L"queue.json.broken-", 0) == 0) aside = e.name;
  }
  ASSERT_FALSE(aside.empty());
  EXPECT_NE(log[0].find(aside), std::wstring::npos);
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(dir.wpath() + L"state/clipwright/" + aside, &kept));
  EXPECT_EQ(kept, damaged);  // never deleted or changed
  EXPECT_TRUE(keeper->journaling());  // the program goes on normally
  EXPECT_TRUE(restored.empty());
}

// A second window journals its own queue under a second name; after both
// ended uncleanly the next window offers every task of both.
TEST_F(QueueKeeperTest, ASecondWindowJournalsUnderASecondNameAndNothingIsLost) {
  WriteJournal(last_time);
  window.yes_answer = true;
  auto first = MakeKeeper();
  first->Start();
  restored.clear();
  log.clear();
  auto second = MakeKeeper();
  EXPECT_EQ(second->Start(), 0u);
  EXPECT_TRUE(log.empty());  // the first window's journal is not offered to the second
  ASSERT_TRUE(second->journaling());
  EXPECT_EQ(second->own_path(), dir.wpath() + L"state/clipwright/queue-2.json");
  views = {View(L"{X}", kTaskWaiting)};
  second->OnRefresh(views);
  second->OnEnd(CvelaDlg::EndReason::kStopRequest);
  EXPECT_EQ(ReadJournal(), last_time);  // the first one's journal, untouched
  first.reset();
  second.reset();  // both gone without a clean close, as after a crash

  auto next = MakeKeeper();
  EXPECT_EQ(next->Start(), 4u);
  EXPECT_EQ(log, (Log{L"ask Restore the 4 unfinished conversions from last time?"}));
  ASSERT_EQ(restored.size(), 4u);
  EXPECT_EQ(restored[3].guid, L"{X}");
  EXPECT_EQ(ReadJournal().size(), 4u);  // all of them kept in one journal ...
  EXPECT_FALSE(FileExists(dir.wpath() + L"state/clipwright/queue-2.json"));  // ... before the other went
}

TEST_F(QueueKeeperTest, WhatEachEndLeaves) {
  const struct {
    const char* name;
    CvelaDlg::EndReason reason;
    bool journal_left;
  } cases[] = {
      {"closed (empty or every task cancelled)", CvelaDlg::EndReason::kClosed, false},
      {"OK, nothing stopped", CvelaDlg::EndReason::kOk, true},
      {"stop request", CvelaDlg::EndReason::kStopRequest, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto keeper = MakeKeeper();
    keeper->Start();
    keeper->OnRefresh({View(L"{R}", kTaskRunning)});
    views = {View(L"{R}", kTaskRunning), View(L"{Q}", kTaskPaused)};  // a command since the refresh
    keeper->OnEnd(c.reason);
    keeper->OnRefresh({View(L"{R}", kTaskFailed)});  // the encoders' stop comes after
    keeper.reset();
    EXPECT_EQ(FileExists(path), c.journal_left);
    if (c.journal_left) {
      std::vector<JournalTask> kept = ReadJournal();
      ASSERT_EQ(kept.size(), 2u);
      EXPECT_EQ(kept[1].guid, L"{Q}");
      EXPECT_EQ(kept[1].status, kTaskPaused);
    }
    DeleteFile(path);
    views.clear();
  }
}

// Commands in a burst are noted, not compared; the journal's writer then asks
// for the queue through the UI thread, and the file ends with the last one.
// Work posted for a keeper that is gone does nothing.
TEST_F(QueueKeeperTest, ABurstOfCommandsEndsInTheJournalThroughTheUiThread) {
  auto keeper = MakeKeeper(milliseconds(50));
  keeper->Start();
  for (int i = 0; i < 20; ++i) {
    views.push_back(View(L"{" + std::to_wstring(i) + L"}", kTaskWaiting));
    keeper->JournalNow();
  }
  for (int waited = 0; !RunPosted() && waited < 10000; waited += 10) std::this_thread::sleep_for(milliseconds(10));
  for (int waited = 0; ReadJournal().size() != 20 && waited < 10000; waited += 10) {
    std::this_thread::sleep_for(milliseconds(10));
  }
  EXPECT_EQ(ReadJournal().size(), 20u);
  views.push_back(View(L"{late}", kTaskWaiting));
  keeper->JournalNow();
  views.push_back(View(L"{later}", kTaskWaiting));
  keeper->JournalNow();  // noted: within the quiet time of a change
  bool asked = false;
  for (int waited = 0; !asked && waited < 10000; waited += 10) {
    std::this_thread::sleep_for(milliseconds(10));
    std::lock_guard<std::mutex> hold(posted_mutex);
    asked = !posted.empty();
  }
  ASSERT_TRUE(asked);
  keeper.reset();
  RunPosted();  // the keeper is gone: nothing happens
  EXPECT_TRUE(FileExists(path));
}

}  // namespace
}  // namespace cw
