// The --events lines: their order per file, the progress rate limit, the
// fields of each kind and the escaping of names.
#include "cli/event_log.h"

#include <gtest/gtest.h>

namespace cw::cli {
namespace {

TaskView Task(const std::wstring& name, int32_t status, double progress = 0) {
  TaskView t;
  t.guid = L"{" + name + L"}";
  t.fileName = name;
  t.fromPath = L"/in/" + name;
  t.toPath = status == kTaskWaiting ? L"" : L"/out/" + name + L".mp4";
  t.status = status;
  t.progress = progress;
  t.remaining = L"< 1 minute";
  t.size = L"\u2248 2 M";
  t.sizeKB = 2500.4;
  return t;
}

EventLog Log() {
  return EventLog([](const TaskView& t) { return t.failureReason.empty() ? L"from the log" : t.failureReason; });
}

TEST(EventLogTest, EachFileGoesQueuedStartedProgressThenItsEnd) {
  EventLog log = Log();
  std::vector<std::wstring> lines = log.Update({Task(L"a", kTaskRunning), Task(L"b", kTaskWaiting)}, 0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], L"{\"v\":1,\"event\":\"queued\",\"time\":0.000,\"id\":\"{a}\",\"source\":\"/in/a\"}");
  EXPECT_EQ(lines[1], L"{\"v\":1,\"event\":\"queued\",\"time\":0.000,\"id\":\"{b}\",\"source\":\"/in/b\"}");
  EXPECT_EQ(lines[2],
            L"{\"v\":1,\"event\":\"started\",\"time\":0.000,\"id\":\"{a}\",\"source\":\"/in/a\",\"output\":\"/out/a.mp4\"}");
  // Progress: not within a second of the start or of the last progress line.
  EXPECT_TRUE(log.Update({Task(L"a", kTaskRunning, 10), Task(L"b", kTaskWaiting)}, 999).empty());
  lines = log.Update({Task(L"a", kTaskRunning, 20), Task(L"b", kTaskWaiting)}, 1000);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], L"{\"v\":1,\"event\":\"progress\",\"time\":1.000,\"id\":\"{a}\",\"percent\":20.0,"
                      L"\"remaining\":\"< 1 minute\",\"size\":\"\u2248 2 M\",\"sizeKB\":2500}");
  // An unknown expected size is -1 beside its "...".
  TaskView unknown = Task(L"a", kTaskRunning, 25);
  unknown.size = L"...";
  unknown.sizeKB = -1;
  lines = log.Update({unknown}, 2000);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(L"\"size\":\"...\",\"sizeKB\":-1}"), std::wstring::npos) << lines[0];
  EXPECT_TRUE(log.Update({Task(L"a", kTaskRunning, 30)}, 2500).empty());
  EXPECT_TRUE(log.Update({Task(L"a", kTaskRunning, 25)}, 3500).empty());  // no news, no line
  // b ends before any refresh saw it run: its start is still written first.
  TaskView failed = Task(L"b", kTaskFailed);
  lines = log.Update({Task(L"a", kTaskDone, 100), failed}, 4000);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find(L"\"event\":\"done\""), std::wstring::npos);
  EXPECT_NE(lines[1].find(L"\"event\":\"started\",\"time\":4.000,\"id\":\"{b}\""), std::wstring::npos);
  EXPECT_NE(lines[2].find(L"\"event\":\"failed\""), std::wstring::npos);
  EXPECT_NE(lines[2].find(L"\"reason\":\"from the log\"}"), std::wstring::npos);
  // Ended files say nothing more.
  EXPECT_TRUE(log.Update({Task(L"a", kTaskDone, 100), failed}, 9000).empty());
}

TEST(EventLogTest, StoppedFilesThatNeverRanHaveNoStart) {
  EventLog log = Log();
  log.Update({Task(L"a", kTaskWaiting)}, 0);
  TaskView stopped = Task(L"a", kTaskStopped);
  stopped.toPath.clear();
  std::vector<std::wstring> lines = log.Update({stopped}, 10);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], L"{\"v\":1,\"event\":\"stopped\",\"time\":0.010,\"id\":\"{a}\",\"source\":\"/in/a\"}");
}

TEST(EventLogTest, TextsAreEscapedAndBytesThatAreNotUtf8Survive) {
  EventLog log = Log();
  TaskView odd = Task(L"q\"\\\n\x01", kTaskWaiting);
  odd.fromPath = L"/in/\xDCFF\"x";
  std::vector<std::wstring> lines = log.Update({odd}, 0);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], L"{\"v\":1,\"event\":\"queued\",\"time\":0.000,\"id\":\"{q\\\"\\\\\\u000a\\u0001}\","
                      L"\"source\":\"/in/\\udcff\\\"x\"}");
}

TEST(EventLogTest, SkippedAndSummary) {
  EventLog log = Log();
  EXPECT_EQ(log.Skipped(L"/in/a", L"/out/a.mp4", L"its output is complete", 1234),
            L"{\"v\":1,\"event\":\"skipped\",\"time\":1.234,\"source\":\"/in/a\",\"output\":\"/out/a.mp4\","
            L"\"reason\":\"its output is complete\"}");
  EventLog::Totals totals{5, 2, 1, 3, 2, L"2/4", L"SIGINT"};
  EXPECT_EQ(log.Summary(totals, 60000),
            L"{\"v\":1,\"event\":\"summary\",\"time\":60.000,\"total\":5,\"converted\":2,\"failed\":1,\"skipped\":3,"
            L"\"stopped\":2,\"shard\":\"2/4\",\"signal\":\"SIGINT\"}");
}

}  // namespace
}  // namespace cw::cli
