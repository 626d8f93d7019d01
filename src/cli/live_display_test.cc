// The live display: lines that fit the width, which tasks are shown when the
// terminal is short, and the in-place redraw.
#include "cli/live_display.h"

#include <gtest/gtest.h>

#include <set>

#include "cli/display_names.h"
#include "cli/text_fit.h"
#include "platform/translate.h"

namespace cw::cli {
namespace {

TaskView Task(const std::wstring& name, int32_t status, double progress, std::wstring remaining = L"3 minutes",
              std::wstring size = L"\u2248 12 M") {
  TaskView t;
  t.guid = L"{" + name + L"}";
  t.fileName = name;
  t.status = status;
  t.progress = progress;
  t.remaining = std::move(remaining);
  t.size = std::move(size);
  return t;
}

std::vector<TaskView> MixedQueue() {
  return {Task(L"holiday.avi", kTaskDone, 100), Task(L"\u65e5\u672c\u306e\u65c5.mkv", kTaskRunning, 42.57),
          Task(L"a-very-long-file-name-that-goes-on-and-on-and-on.mov", kTaskRunning, 7),
          Task(L"broken.avi", kTaskFailed, 12), Task(L"next.avi", kTaskWaiting, 0, L"...", L"...")};
}

TEST(LiveDisplayTest, EveryLineFitsEveryWidth) {
  for (int columns : {1, 2, 10, 20, 40, 60, 80, 132, 250}) {
    std::vector<std::wstring> frame = FormatFrame(MixedQueue(), columns, 40);
    ASSERT_EQ(frame.size(), 6u);
    for (const auto& line : frame) {
      EXPECT_LE(TextCells(line), std::max(1, columns - 1)) << columns << ": " << line.size();
      EXPECT_EQ(line.find(L'\n'), std::wstring::npos);
    }
  }
}

TEST(LiveDisplayTest, FileNamesCannotBreakLinesOrCommandTheTerminal) {
  std::vector<TaskView> tasks = {Task(L"two\nlines\x1b[2J.avi", kTaskRunning, 5, L"1\n2", L"\x1b]0;x\x07")};
  for (const auto& line : FormatFrame(tasks, 120, 10)) {
    EXPECT_EQ(line.find_first_of(L"\n\r\x1b\x07"), std::wstring::npos);
  }
  EXPECT_EQ(FormatFrame(tasks, 120, 10)[0].substr(0, 19), L"two?lines?[2J.avi [");  // the name column fits it
}

TEST(LiveDisplayTest, WideLineHasEveryColumn) {
  std::wstring line = FormatTaskLine(Task(L"clip.avi", kTaskRunning, 42.57), 100, 12);
  EXPECT_EQ(line.substr(0, 13), L"clip.avi     ");
  EXPECT_NE(line.find(L"[#"), std::wstring::npos);
  EXPECT_NE(line.find(L" 42.5% "), std::wstring::npos);  // cut, not rounded
  EXPECT_NE(line.find(L"3 minutes"), std::wstring::npos);
  EXPECT_NE(line.find(L"\u2248 12 M"), std::wstring::npos);
  EXPECT_EQ(line.substr(line.size() - 7), L"running");
  EXPECT_EQ(TextCells(line), 100);  // the bar takes up what is left

  // Narrower: time and size go first, the bar stays.
  line = FormatTaskLine(Task(L"clip.avi", kTaskRunning, 50), 50, 12);
  EXPECT_EQ(line.find(L"3 minutes"), std::wstring::npos);
  EXPECT_NE(line.find(L"[#"), std::wstring::npos);
  EXPECT_NE(line.find(L"50.0% running"), std::wstring::npos);

  // Narrower still: no bar, but the state is kept.
  line = FormatTaskLine(Task(L"clip.avi", kTaskRunning, 50), 30, 12);
  EXPECT_EQ(line.find(L'['), std::wstring::npos);
  EXPECT_NE(line.find(L"running"), std::wstring::npos);
}

// At 80 and 60 columns a running line keeps its remaining time and size (the
// name is shortened first), and every line's bar ends in the same column.
TEST(LiveDisplayTest, EstimatesStayAt80And60ColumnsAndBarsKeepOneWidth) {
  std::vector<TaskView> tasks = {
      Task(L"a-very-long-file-name-that-goes-on-and-on-and-on.mov", kTaskRunning, 7, L"12 hours 59 minutes"),
      Task(L"done.avi", kTaskDone, 100), Task(L"broken.avi", kTaskFailed, 12),
      Task(L"next.avi", kTaskWaiting, 0, L"...", L"..."), Task(L"stop.avi", kTaskStopped, 3)};
  for (int columns : {80, 60}) {
    std::vector<std::wstring> frame = FormatFrame(tasks, columns, 24);
    ASSERT_EQ(frame.size(), 6u);
    EXPECT_NE(frame[0].find(L"12 hours 59 minutes"), std::wstring::npos) << columns << ": " << frame[0];
    EXPECT_NE(frame[0].find(L"\u2248 12 M"), std::wstring::npos) << columns;
    EXPECT_NE(frame[0].find(L"a-very-long"), std::wstring::npos) << columns;
    std::set<size_t> bar_ends, state_starts;
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(TextCells(frame[i]), columns - 1) << columns << ": " << frame[i];
      bar_ends.insert(frame[i].find(L']'));
      state_starts.insert(frame[i].size() - 7);
    }
    EXPECT_EQ(bar_ends.size(), 1u) << columns;
    EXPECT_EQ(state_starts.size(), 1u) << columns;
    EXPECT_EQ(frame[0].find(L'[') == std::wstring::npos, columns == 60);  // the bar goes before the estimates
  }
}

// In German the words are longer: the state and remaining-time columns grow
// to the widest German word, which is shown whole, and the bars still end in
// one column. (The catalogue comes from the build's locale/ folder.)
TEST(LiveDisplayTest, GermanWordsWholeAndColumnsAligned) {
  ASSERT_TRUE(SetMessageLanguage("de_DE.UTF-8")) << "scripts/setup-deps.sh installs locales-all";
  std::vector<TaskView> tasks = {
      Task(L"long.mov", kTaskRunning, 7, L"23 hours 59 minutes"), Task(L"paused.avi", kTaskPaused, 50),
      Task(L"done.avi", kTaskDone, 100), Task(L"broken.avi", kTaskFailed, 12),
      Task(L"next.avi", kTaskWaiting, 0, L"...", L"..."), Task(L"stop.avi", kTaskStopped, 3)};
  std::vector<std::wstring> frame = FormatFrame(tasks, 140, 24);
  SetMessageLanguage("C");
  ASSERT_EQ(frame.size(), 7u);
  EXPECT_NE(frame[0].find(L"23 Stunden 59 Minuten"), std::wstring::npos) << frame[0];
  const wchar_t* states[] = {L"l\u00e4uft", L"pausiert", L"fertig", L"Fehler", L"wartet", L"gestoppt"};
  std::set<size_t> bar_ends;
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(TextCells(frame[i]), 139) << frame[i];
    EXPECT_NE(frame[i].find(states[i]), std::wstring::npos) << frame[i];
    bar_ends.insert(frame[i].find(L']'));
  }
  EXPECT_EQ(bar_ends.size(), 1u);
  EXPECT_EQ(frame[6].rfind(L"Gesamt [", 0), 0u) << frame[6];
  EXPECT_NE(frame[6].find(L"1 fertig von 6, 1 in Arbeit, 1 wartend, 1 pausiert, 1 fehlgeschlagen, 1 gestoppt"),
            std::wstring::npos)
      << frame[6];
}

TEST(LiveDisplayTest, SameNamesShowTheirFolders) {
  std::vector<TaskView> tasks = {Task(L"clip.avi", kTaskRunning, 1), Task(L"clip.avi", kTaskRunning, 1),
                                 Task(L"clip.avi", kTaskWaiting, 0), Task(L"solo.avi", kTaskWaiting, 0)};
  tasks[0].fromPath = L"/lib/2019/trip/clip.avi";
  tasks[1].fromPath = L"/lib/2020/trip/clip.avi";
  tasks[2].fromPath = L"/lib/2020/home/clip.avi";
  tasks[3].fromPath = L"/lib/solo.avi";
  EXPECT_EQ(DistinctNames(tasks), (std::vector<std::wstring>{L"2019/trip/clip.avi", L"2020/trip/clip.avi",
                                                              L"home/clip.avi", L"solo.avi"}));
  std::vector<std::wstring> frame = FormatFrame(tasks, 120, 24);
  EXPECT_EQ(frame[0].substr(0, 18), L"2019/trip/clip.avi");
  EXPECT_EQ(frame[3].substr(0, 8), L"solo.avi");
  EXPECT_EQ(LastPathParts(L"/a/b/c", 2), L"b/c");
  EXPECT_EQ(LastPathParts(L"c", 2), L"c");
}

TEST(LiveDisplayTest, FinishedAndWaitingTasksShowNoEstimates) {
  std::wstring done = FormatTaskLine(Task(L"a.avi", kTaskDone, 100), 100, 8);
  EXPECT_EQ(done.find(L"3 minutes"), std::wstring::npos);
  EXPECT_EQ(done.find(L"\u2248"), std::wstring::npos);
  EXPECT_NE(done.find(L"[##########"), std::wstring::npos);
  std::wstring waiting = FormatTaskLine(Task(L"a.avi", kTaskWaiting, 0, L"...", L"..."), 100, 8);
  EXPECT_EQ(waiting.find(L"..."), std::wstring::npos);
}

TEST(LiveDisplayTest, BarsFollowProgress) {
  for (double progress : {0.0, 10.0, 50.0, 99.9, 100.0}) {
    std::wstring line = FormatTaskLine(Task(L"a", kTaskRunning, progress), 60, 4);
    size_t open = line.find(L'['), close = line.find(L']');
    ASSERT_NE(close, std::wstring::npos);
    std::wstring bar = line.substr(open + 1, close - open - 1);
    size_t filled = bar.find_first_not_of(L'#');
    if (filled == std::wstring::npos) filled = bar.size();
    EXPECT_EQ(filled, static_cast<size_t>(progress / 100.0 * static_cast<double>(bar.size()))) << progress;
  }
}

TEST(LiveDisplayTest, PercentText) {
  EXPECT_EQ(PercentText(0), L"0.0%");
  EXPECT_EQ(PercentText(42.57), L"42.5%");
  EXPECT_EQ(PercentText(99.99), L"99.9%");
  EXPECT_EQ(PercentText(100), L"100.0%");
  EXPECT_EQ(PercentText(250), L"100.0%");
  EXPECT_EQ(PercentText(-3), L"0.0%");
}

TEST(LiveDisplayTest, OverallLineCountsStates) {
  std::wstring line = FormatOverallLine(MixedQueue(), 120);
  EXPECT_EQ(line.substr(0, 6), L"Total ");
  // (100 + 42.57 + 7 + 100 (failed counts as finished) + 0) / 5
  EXPECT_NE(line.find(L"49.9%  1 done of 5, 2 running, 1 waiting, 1 failed"), std::wstring::npos) << line.size();
  EXPECT_NE(FormatOverallLine({}, 80).find(L"100.0%  0 done of 0"), std::wstring::npos);
}

TEST(LiveDisplayTest, ShortTerminalShowsActiveTasksFirst) {
  std::vector<TaskView> tasks;
  for (int i = 0; i < 10; ++i) tasks.push_back(Task(L"done" + std::to_wstring(i), kTaskDone, 100));
  tasks.push_back(Task(L"wait", kTaskWaiting, 0));
  tasks.push_back(Task(L"run", kTaskRunning, 5));
  std::vector<std::wstring> frame = FormatFrame(tasks, 80, 6);  // 5 lines: 3 tasks, "more", total
  ASSERT_EQ(frame.size(), 5u);
  EXPECT_EQ(frame[0].substr(0, 5), L"done0");  // the chosen lines keep list order
  EXPECT_EQ(frame[1].substr(0, 4), L"wait");
  EXPECT_EQ(frame[2].substr(0, 3), L"run");
  EXPECT_EQ(frame[3], L"... and 9 more");
  EXPECT_EQ(frame[4].substr(0, 5), L"Total");

  // Two rows leave one line: the total alone.
  frame = FormatFrame(tasks, 80, 2);
  ASSERT_EQ(frame.size(), 1u);
  EXPECT_EQ(frame[0].substr(0, 5), L"Total");
  EXPECT_EQ(FormatFrame(tasks, 80, 1).size(), 1u);

  // Rows unknown: a 24-line terminal is assumed.
  tasks.resize(40, Task(L"x", kTaskWaiting, 0));
  EXPECT_EQ(FormatFrame(tasks, 0, 0).size(), 23u);
}

TEST(LiveDisplayTest, RedrawOverwritesThePreviousFrameInPlace) {
  LiveDisplay display;
  std::string first = display.Redraw({L"a", L"b"});
  EXPECT_EQ(first, "\x1b[?25la\x1b[K\nb\x1b[K\n");  // cursor hidden, no movement yet
  std::string second = display.Redraw({L"c", L"d"});
  EXPECT_EQ(second, "\r\x1b[2Ac\x1b[K\nd\x1b[K\n");
  std::string shorter = display.Redraw({L"e"});
  EXPECT_EQ(shorter, "\r\x1b[2Ae\x1b[K\n\x1b[J");  // the left-over line is cleared
  std::string message = display.PrintAbove(L"note", {L"f"});
  EXPECT_EQ(message, "\r\x1b[1A\x1b[Jnote\nf\x1b[K\n");
  EXPECT_EQ(display.Finish(), "\x1b[?25h");
  EXPECT_EQ(display.Finish(), "");
  EXPECT_EQ(display.Redraw({L"\u00e9"}), "\x1b[?25l\xc3\xa9\x1b[K\n");  // UTF-8, fresh start after Finish
}

}  // namespace
}  // namespace cw::cli
