// Tests of the queue journal's format and of its writer, with faults injected
// into the file operations.
#include "tasks/queue_journal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <chrono>
#include <thread>

#include "platform/files.h"
#include "tasks/queue_journal_writer.h"
#include "testsupport/temp_dir.h"
#include "testsupport/wait_until.h"

namespace cw {
namespace {

using std::chrono::milliseconds;

JournalTask Entry(std::wstring guid, std::wstring from, int32_t status, std::wstring dir = L"/out") {
  return JournalTask{std::move(guid), std::move(from), L"4", L"Normal", std::move(dir), status};
}

TaskView View(std::wstring guid, std::wstring from, int32_t status) {
  TaskView view;
  view.guid = std::move(guid);
  view.fromPath = std::move(from);
  view.targetDevice = L"4";
  view.outputQuality = L"Normal";
  view.status = status;
  return view;
}

TEST(QueueJournal, EveryKindOfNameAndStateReadsBackUnchanged) {
  const std::vector<JournalTask> tasks = {
      Entry(L"{A}", L"/v/plain.avi", kTaskWaiting),
      Entry(L"{B}", L"/v/quote\" back\\slash\nline\ttab.mkv", kTaskRunning, L"/out/\u00e9t\u00e9"),
      Entry(L"{C}", L"/v/not-utf8-\xDC80\xDCFF.mov", kTaskPaused, L"/o/\xDCE9"),
      Entry(L"{D}", L"/v/\u65e5\u672c \U0001F3AC.mp4", kTaskWaiting, L""),
  };
  std::string bytes = RenderQueueJournal(tasks);
  std::vector<JournalTask> read;
  ASSERT_TRUE(ParseQueueJournal(bytes, &read)) << bytes;
  EXPECT_EQ(read, tasks);
  EXPECT_NE(bytes.find("\\udc80\\udcff"), std::string::npos);  // escaped, not U+FFFD
  ASSERT_TRUE(ParseQueueJournal(RenderQueueJournal({}), &read));
  EXPECT_TRUE(read.empty());
}

TEST(QueueJournal, ACutJournalNeverReads) {
  std::string bytes = RenderQueueJournal({Entry(L"{A}", L"/v/a.avi", kTaskWaiting),
                                          Entry(L"{B}", L"/v/b.avi", kTaskPaused)});
  std::vector<JournalTask> read;
  // Every prefix short of the closing brace is refused; the line end after it is optional.
  size_t whole = bytes.rfind('}') + 1;
  for (size_t n = 0; n < whole; ++n) {
    EXPECT_FALSE(ParseQueueJournal(bytes.substr(0, n), &read)) << n << ": " << bytes.substr(0, n);
    EXPECT_TRUE(read.empty());
  }
  EXPECT_TRUE(ParseQueueJournal(bytes.substr(0, whole), &read));
  EXPECT_EQ(read.size(), 2u);
}

TEST(QueueJournal, DamagedOrForeignJournalsAreRefused) {
  const std::string task = R"({"guid":"{A}","fromPath":"/a","targetDevice":"4","outputQuality":"Normal","outputDir":"/o","iStatus":1})";
  auto journal = [](const std::string& count, const std::string& tasks) {
    return R"({"journal":"clipwright-queue","version":1,"count":)" + count + R"(,"tasks":[)" + tasks + "]}";
  };
  ASSERT_TRUE([&] {
    std::vector<JournalTask> read;
    return ParseQueueJournal(journal("1", task), &read);
  }());
  auto with = [&](const std::string& from, const std::string& to) {
    std::string t = task;
    t.replace(t.find(from), from.size(), to);
    return journal("1", t);
  };
  const std::string damaged[] = {
      "",
      std::string("\0\0\0\0", 4),
      "[]",
      journal("2", task),                       // a task missing
      journal("0", task),                       // one too many
      journal("1", task + "," + task).substr(0, 40) + "}",
      R"({"journal":"other","version":1,"count":1,"tasks":[)" + task + "]}",
      R"({"journal":"clipwright-queue","version":2,"count":1,"tasks":[)" + task + "]}",
      with("\"iStatus\":1", "\"iStatus\":4"),   // done is not kept
      with("\"iStatus\":1", "\"iStatus\":\"1\""),
      with("\"iStatus\":1", "\"iStatus\":0"),
      with("\"guid\":\"{A}\"", "\"guid\":\"\""),
      with("\"fromPath\":\"/a\"", "\"fromPath\":7"),
      with(",\"outputDir\":\"/o\"", ""),
      with("\"iStatus\":1", "\"iStatus\":1x"),
      journal("1", "[" + task + "]"),
  };
  for (const std::string& bytes : damaged) {
    std::vector<JournalTask> read;
    EXPECT_FALSE(ParseQueueJournal(bytes, &read)) << bytes;
    EXPECT_TRUE(read.empty()) << bytes;
  }
}

TEST(QueueJournal, KeepsOnlyUnfinishedTasksWithTheirOutputFolders) {
  std::vector<TaskView> views = {View(L"{A}", L"/v/a", kTaskWaiting), View(L"{B}", L"/v/b", kTaskDone),
                                 View(L"{C}", L"/v/c", kTaskRunning), View(L"{D}", L"/v/d", kTaskFailed),
                                 View(L"{E}", L"/v/e", kTaskPaused)};
  views[2].toPath = L"/chosen/c.mp4";
  views[4].outputDir = L"/own/";
  std::vector<JournalTask> tasks;
  EXPECT_TRUE(UpdateJournalTasks(&tasks, views, L"/settings"));
  EXPECT_EQ(tasks, (std::vector<JournalTask>{Entry(L"{A}", L"/v/a", kTaskWaiting, L"/settings"),
                                             Entry(L"{C}", L"/v/c", kTaskRunning, L"/chosen"),
                                             Entry(L"{E}", L"/v/e", kTaskPaused, L"/own")}));
  EXPECT_FALSE(UpdateJournalTasks(&tasks, views, L"/settings"));  // nothing changed
  views[1].status = kTaskWaiting;  // a change of state is a change
  EXPECT_TRUE(UpdateJournalTasks(&tasks, views, L"/settings"));
  EXPECT_EQ(tasks.size(), 4u);
  views.erase(views.begin());  // so is a deletion
  EXPECT_TRUE(UpdateJournalTasks(&tasks, views, L"/settings"));
  EXPECT_EQ(tasks.size(), 3u);
  EXPECT_EQ(tasks[0].guid, L"{B}");
  EXPECT_TRUE(UpdateJournalTasks(&tasks, views, L"/new-settings"));  // the waiting ones follow the settings
  EXPECT_EQ(tasks[0].outputDir, L"/new-settings");
}

TEST(QueueJournal, RestoredTasksWaitOrStayPausedWithWhatTheyWereQueuedWith) {
  const struct {
    int32_t journaled;
    int32_t restored;
  } cases[] = {{kTaskWaiting, kTaskWaiting}, {kTaskRunning, kTaskWaiting}, {kTaskPaused, kTaskPaused}};
  for (const auto& c : cases) {
    JournalTask entry{L"{G}", L"/v/clip one.avi", L"17", L"High", L"/o", c.journaled};
    std::shared_ptr<FileObject> task = TaskFromJournal(entry);
    EXPECT_EQ(task->iStatus, c.restored);
    EXPECT_EQ(task->guid, L"{G}");
    EXPECT_EQ(task->fileName, L"clip one.avi");
    EXPECT_EQ(task->targetDevice, L"17");
    EXPECT_EQ(task->outputQuality, L"High");
    EXPECT_EQ(task->outputDir, L"/o");
    EXPECT_TRUE(task->keepsOwnProfile);
    EXPECT_TRUE(task->toPath.empty());
  }
}

// Reads the journal file; "" when there is none, "damaged" when it does not read.
std::wstring JournalGuids(const std::wstring& path) {
  std::string bytes;
  if (!ReadFileBytes(path, &bytes)) return L"";
  std::vector<JournalTask> tasks;
  if (!ParseQueueJournal(bytes, &tasks)) return L"damaged";
  std::wstring guids;
  for (const JournalTask& t : tasks) guids += t.guid;
  return guids;
}

std::vector<TaskView> WaitingViews(int count) {
  std::vector<TaskView> views;
  for (int i = 0; i < count; ++i) views.push_back(View(L"{" + std::to_wstring(i) + L"}", L"/v/x", kTaskWaiting));
  return views;
}

std::wstring GuidsOf(int count) {
  std::wstring guids;
  for (int i = 0; i < count; ++i) guids += L"{" + std::to_wstring(i) + L"}";
  return guids;
}

// A burst is compared once, noted for the rest; when the write is due the
// writer asks for the queue, and the answer is what the file ends with.
TEST(QueueJournalWriter, ABurstOfChangesIsComparedOnceAndEndsWithTheQueueAskedFor) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  std::mutex mutex;
  std::condition_variable asked_cv;
  int asked = 0;
  auto want_views = [&] {
    std::lock_guard<std::mutex> hold(mutex);
    ++asked;
    asked_cv.notify_all();
  };
  QueueJournalWriter::Stats stats;
  {
    QueueJournalWriter writer(path, milliseconds(200), QueueJournalWriter::RealFileOps(), want_views);
    for (int i = 1; i <= 50; ++i) writer.Observe(WaitingViews(i), L"/o");
    stats = writer.stats();
    EXPECT_EQ(stats.compared, 1);
    EXPECT_EQ(stats.noted, 49);
    {
      std::unique_lock<std::mutex> lock(mutex);
      ASSERT_TRUE(asked_cv.wait_for(lock, std::chrono::seconds(10), [&] { return asked > 0; }));
    }
    EXPECT_EQ(JournalGuids(path), GuidsOf(1));  // the burst's first change, written at once
    writer.Observe(WaitingViews(50), L"/o");     // the answer: compared, the quiet time is over
    stats = writer.stats();
    EXPECT_EQ(stats.compared, 2);
  }  // the destructor writes what is pending
  EXPECT_EQ(JournalGuids(path), GuidsOf(50));
  EXPECT_LE(stats.writes, 2);
  EXPECT_EQ(stats.failures, 0);
}

// Without anyone to ask, noted views are compared by the next Observe after
// the quiet time, and ObserveNow compares at once: nothing is lost.
TEST(QueueJournalWriter, NotedViewsAreComparedLaterOrAtOnceAtTheEnd) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  {
    const milliseconds quiet(200);
    QueueJournalWriter writer(path, quiet);
    auto before_first = std::chrono::steady_clock::now();
    writer.Observe(WaitingViews(1), L"/o");
    auto after_first = std::chrono::steady_clock::now();
    writer.Observe(WaitingViews(2), L"/o");
    // Noted when it came within the quiet time (a loaded machine may be later).
    if (std::chrono::steady_clock::now() < before_first + quiet) {
      EXPECT_EQ(writer.stats().noted, 1);
    }
    ASSERT_TRUE(testing::WaitUntil([&] { return writer.stats().writes == 1; }));
    EXPECT_EQ(JournalGuids(path), GuidsOf(1));
    std::this_thread::sleep_until(after_first + quiet);  // the quiet time is over
    int64_t compared = writer.stats().compared;
    writer.Observe(WaitingViews(3), L"/o");  // after the quiet time: compared
    EXPECT_EQ(writer.stats().compared, compared + 1);
    writer.Observe(WaitingViews(4), L"/o");  // noted again
    writer.ObserveNow(WaitingViews(5), L"/o");
    EXPECT_TRUE(writer.FlushAndHold());
    EXPECT_EQ(JournalGuids(path), GuidsOf(5));
  }
  EXPECT_EQ(JournalGuids(path), GuidsOf(5));
}

TEST(QueueJournalWriter, AnEmptyQueueLeavesNoJournal) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  QueueJournalWriter writer(path, milliseconds(0));
  writer.Observe({View(L"{A}", L"/v/a", kTaskWaiting)}, L"/o");
  writer.FlushAndHold();
  EXPECT_EQ(JournalGuids(path), L"{A}");
  QueueJournalWriter second(path, milliseconds(0));
  second.Observe({View(L"{A}", L"/v/a", kTaskDone)}, L"/o");  // finished: nothing left
  second.FlushAndHold();
  EXPECT_FALSE(FileExists(path));
}

// A writer whose process dies between writing the new file and renaming it
// over the old one (emulated: the rename never happens) leaves the old queue,
// whole; the next write that succeeds puts the new queue in place.
TEST(QueueJournalWriter, AWriteCutBeforeItsRenameLeavesTheOldQueue) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  std::atomic<bool> die_before_rename{false};
  QueueJournalWriter::FileOps ops = QueueJournalWriter::RealFileOps();
  ops.replace = [&](const std::wstring& p, const std::string& bytes) {
    if (!die_before_rename) return ReplaceFileDurably(p, bytes);
    WriteFileBytes(DurableTempPath(p), bytes.substr(0, bytes.size() / 2));  // cut short, never renamed
    return false;
  };
  QueueJournalWriter writer(path, milliseconds(0), ops);
  writer.Observe({View(L"{OLD}", L"/v/a", kTaskWaiting)}, L"/o");
  ASSERT_TRUE(testing::WaitUntil([&] { return writer.stats().writes == 1; }));
  ASSERT_EQ(JournalGuids(path), L"{OLD}");
  die_before_rename = true;
  writer.Observe({View(L"{NEW}", L"/v/b", kTaskWaiting)}, L"/o");
  ASSERT_TRUE(testing::WaitUntil([&] { return writer.stats().writes == 2; }));
  EXPECT_EQ(JournalGuids(path), L"{OLD}");
  EXPECT_EQ(writer.stats().failures, 1);
  die_before_rename = false;
  EXPECT_TRUE(writer.FlushAndHold());  // the failed queue is written again
  EXPECT_EQ(JournalGuids(path), L"{NEW}");
  EXPECT_FALSE(FileExists(DurableTempPath(path)));
}

TEST(QueueJournalWriter, HeldOrDiscardedJournalsAreNotWrittenAgain) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  {
    QueueJournalWriter writer(path, milliseconds(0));
    writer.Observe({View(L"{A}", L"/v/a", kTaskRunning)}, L"/o");
    EXPECT_TRUE(writer.FlushAndHold());
    writer.Observe({View(L"{A}", L"/v/a", kTaskFailed)}, L"/o");  // the stop that follows the hold
  }
  EXPECT_EQ(JournalGuids(path), L"{A}");
  {
    QueueJournalWriter writer(path, milliseconds(0));
    writer.Observe({View(L"{B}", L"/v/b", kTaskWaiting)}, L"/o");
    EXPECT_TRUE(writer.DiscardAndHold());
    writer.Observe({View(L"{C}", L"/v/c", kTaskWaiting)}, L"/o");
  }
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace cw
