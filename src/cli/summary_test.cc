// The closing report and the encoder lines it quotes.
#include "cli/summary.h"

#include <gtest/gtest.h>

namespace cw::cli {
namespace {

TaskView Task(const std::wstring& name, int32_t status) {
  TaskView t;
  t.guid = L"{" + name + L"}";
  t.fileName = name + L".avi";
  t.fromPath = L"/in/" + name + L".avi";
  t.toPath = L"/out/" + name + L".mp4";
  t.status = status;
  return t;
}

TEST(SummaryTest, LastLinesOfEncoderOutput) {
  struct Case {
    std::wstring log;
    size_t count;
    std::vector<std::wstring> lines;
  };
  const Case cases[] = {
      {L"", 5, {}},
      {L"\n\n  \n", 5, {}},
      {L"one", 5, {L"one"}},
      {L"a\nb\nc\nd\n", 2, {L"c", L"d"}},
      {L"a\r\nb\r\n\r\n", 5, {L"a", L"b"}},
      // Status lines that overwrite each other with '\r' count one by one.
      {L"head\nframe=1\rframe=2\rframe=3\nError: broken\n", 3, {L"frame=2", L"frame=3", L"Error: broken"}},
  };
  for (const auto& c : cases) EXPECT_EQ(LastLines(c.log, c.count), c.lines) << c.log.size();
}

TEST(SummaryTest, CompletedRun) {
  RunOutcome outcome;
  outcome.tasks = {Task(L"a", kTaskDone), Task(L"b", kTaskDone)};
  EXPECT_EQ(FormatSummary(outcome), L"Converted 2 of 2 files.\n");
  outcome.tasks = {Task(L"a", kTaskDone)};
  EXPECT_EQ(FormatSummary(outcome), L"Converted 1 of 1 file.\n");
}

TEST(SummaryTest, FailuresNameTheFileAndQuoteTheEncoder) {
  RunOutcome outcome;
  outcome.tasks = {Task(L"a", kTaskDone), Task(L"bad", kTaskFailed), Task(L"mute", kTaskFailed)};
  outcome.failure_logs[L"{bad}"] = L"banner\n1\n2\n3\n4\n/in/bad.avi: Invalid data found when processing input\n";
  EXPECT_EQ(FormatSummary(outcome),
            L"Converted 1 of 3 files. 2 failed.\n"
            L"Failed: bad.avi  (/in/bad.avi)\n"
            L"  > 1\n  > 2\n  > 3\n  > 4\n"
            L"  > /in/bad.avi: Invalid data found when processing input\n"
            L"Failed: mute.avi  (/in/mute.avi)\n"
            L"  > (the encoder printed nothing)\n");
}

TEST(SummaryTest, StoppedRunListsWhatWasFinished) {
  RunOutcome outcome;
  outcome.stopped = true;
  outcome.stop_reason = L"Interrupted (SIGINT)";
  outcome.tasks = {Task(L"a", kTaskDone), Task(L"b", kTaskStopped), Task(L"c", kTaskStopped)};
  outcome.partial_files_left = {L"/out/c.mp4"};
  EXPECT_EQ(FormatSummary(outcome),
            L"Interrupted (SIGINT): every encoder was stopped and its partial output deleted.\n"
            L"Finished: /out/a.mp4\n"
            L"Not converted: /in/b.avi\n"
            L"Not converted: /in/c.avi\n"
            L"Could not delete the partial file /out/c.mp4\n"
            L"Converted 1 of 3 files.\n");
}

}  // namespace
}  // namespace cw::cli
