// The plain lines for logs: one per change of state and per 10 %.
#include "cli/plain_log.h"

#include <gtest/gtest.h>

namespace cw::cli {
namespace {

TaskView Task(const std::wstring& name, int32_t status, double progress) {
  TaskView t;
  t.guid = L"{" + name + L"}";
  t.fileName = name;
  t.toPath = L"/out/" + name + L".mp4";
  t.status = status;
  t.progress = progress;
  return t;
}

TEST(PlainLogTest, StatesAndTensOfPercent) {
  PlainLog log;
  struct Step {
    std::vector<TaskView> tasks;
    std::vector<std::wstring> lines;
  };
  const std::vector<Step> steps = {
      {{Task(L"a", kTaskRunning, 0), Task(L"b", kTaskWaiting, 0)}, {L"a: running -> /out/a.mp4"}},
      {{Task(L"a", kTaskRunning, 9.99), Task(L"b", kTaskWaiting, 0)}, {}},
      {{Task(L"a", kTaskRunning, 10), Task(L"b", kTaskWaiting, 0)}, {L"a: 10%"}},
      {{Task(L"a", kTaskRunning, 17), Task(L"b", kTaskWaiting, 0)}, {}},
      // A jump prints only the highest ten reached.
      {{Task(L"a", kTaskRunning, 64), Task(L"b", kTaskWaiting, 0)}, {L"a: 60%"}},
      {{Task(L"a", kTaskRunning, 99.9), Task(L"b", kTaskWaiting, 0)}, {L"a: 90%"}},
      // The end prints the end state, not 100%.
      {{Task(L"a", kTaskDone, 100), Task(L"b", kTaskRunning, 0)}, {L"a: done", L"b: running -> /out/b.mp4"}},
      {{Task(L"a", kTaskDone, 100), Task(L"b", kTaskFailed, 33)}, {L"b: failed"}},
      {{Task(L"a", kTaskDone, 100), Task(L"b", kTaskFailed, 33)}, {}},
  };
  for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(log.Update(steps[i].tasks), steps[i].lines) << "step " << i;
}

TEST(PlainLogTest, OneLinePerEventWhateverTheName) {
  PlainLog log;
  TaskView t = Task(L"a\nb: done", kTaskRunning, 0);
  t.toPath = L"/out/a\nb.mp4";
  EXPECT_EQ(log.Update({t}), (std::vector<std::wstring>{L"a?b: done: running -> /out/a?b.mp4"}));
}

TEST(PlainLogTest, PauseAndResume) {
  PlainLog log;
  log.Update({Task(L"a", kTaskRunning, 25)});
  EXPECT_EQ(log.Update({Task(L"a", kTaskPaused, 25)}), (std::vector<std::wstring>{L"a: paused"}));
  EXPECT_EQ(log.Update({Task(L"a", kTaskRunning, 25)}), (std::vector<std::wstring>{L"a: running"}));
  EXPECT_EQ(log.Update({Task(L"a", kTaskStopped, 25)}), (std::vector<std::wstring>{L"a: stopped"}));
}

TEST(PlainLogTest, TasksWithTheSameNameAreToldApartByIdentity) {
  PlainLog log;
  TaskView first = Task(L"clip.avi", kTaskRunning, 50), second = Task(L"clip.avi", kTaskWaiting, 0);
  second.guid = L"{other}";
  EXPECT_EQ(log.Update({first, second}),
            (std::vector<std::wstring>{L"clip.avi: running -> /out/clip.avi.mp4", L"clip.avi: 50%"}));
  second.status = kTaskRunning;
  EXPECT_EQ(log.Update({first, second}), (std::vector<std::wstring>{L"clip.avi: running -> /out/clip.avi.mp4"}));
}

TEST(PlainLogTest, AStallIsSaidOnceAndSoIsItsEnd) {
  PlainLog log;
  TaskView t;
  t.guid = L"{S}";
  t.fileName = L"clip.avi";
  t.status = kTaskRunning;
  t.toPath = L"/out/clip.mp4";
  log.Update({t});
  t.stalled = L"stopped by another program";
  EXPECT_EQ(log.Update({t}), std::vector<std::wstring>{L"clip.avi: stalled (stopped by another program)"});
  EXPECT_TRUE(log.Update({t}).empty());
  t.stalled.clear();
  EXPECT_EQ(log.Update({t}), std::vector<std::wstring>{L"clip.avi: going on"});
}

}  // namespace
}  // namespace cw::cli
