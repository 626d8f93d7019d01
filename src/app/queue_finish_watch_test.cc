// When the window's queue counts as finished, and what the notification says.
#include "app/queue_finish_watch.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TaskView Task(const std::wstring& id, int32_t status) {
  TaskView t;
  t.guid = id;
  t.status = status;
  return t;
}

TEST(QueueWatchTest, ReportsEachFinishOnceWithTheTasksEndedSince) {
  QueueFinishWatch watch;
  struct Step {
    std::vector<TaskView> tasks;
    std::optional<std::pair<int, int>> report;  // converted, failed
  };
  const std::vector<Step> steps = {
      {{}, std::nullopt},  // an empty list never finished anything
      {{Task(L"a", kTaskRunning), Task(L"b", kTaskWaiting)}, std::nullopt},
      {{Task(L"a", kTaskDone), Task(L"b", kTaskRunning)}, std::nullopt},
      {{Task(L"a", kTaskDone), Task(L"b", kTaskPaused)}, std::nullopt},  // paused work is not finished
      {{Task(L"a", kTaskDone), Task(L"b", kTaskFailed)}, std::pair{1, 1}},
      {{Task(L"a", kTaskDone), Task(L"b", kTaskFailed)}, std::nullopt},  // the next refresh: nothing new
      // A new batch: only its tasks count.
      {{Task(L"a", kTaskDone), Task(L"b", kTaskFailed), Task(L"c", kTaskRunning)}, std::nullopt},
      {{Task(L"a", kTaskDone), Task(L"b", kTaskFailed), Task(L"c", kTaskDone), Task(L"d", kTaskDone)},
       std::pair{2, 0}},
      // Finished tasks taken off the list, then one of the same identity text comes back (never in
      // practice, but a forgotten identity must count again rather than be lost).
      {{}, std::nullopt},
      {{Task(L"a", kTaskDone)}, std::pair{1, 0}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    std::optional<FinishReport> got = watch.Observe(steps[i].tasks);
    ASSERT_EQ(got.has_value(), steps[i].report.has_value()) << "step " << i;
    if (got) {
      EXPECT_EQ(got->converted, steps[i].report->first) << "step " << i;
      EXPECT_EQ(got->failed, steps[i].report->second) << "step " << i;
    }
  }
}

TEST(QueueWatchTest, Texts) {
  struct Case {
    FinishReport report;
    const wchar_t* title;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{1, 0}, L"Conversions finished", L"1 file converted."},
      {{3, 1}, L"Conversions finished", L"3 files converted, 1 failed."},
      {{0, 2}, L"Conversions failed", L"2 files failed."},
      {{0, 1}, L"Conversions failed", L"1 file failed."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FinishTitle(c.report), c.title);
    EXPECT_EQ(FinishText(c.report), c.text);
  }
}

}  // namespace
}  // namespace cw
