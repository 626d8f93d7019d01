// Tests of the whole queue's remaining-time estimate.
#include "analysis/queue_estimate.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

QueueTaskFacts Task(int status, double duration, double fraction = 0, double run = 0, const wchar_t* profile = L"A") {
  QueueTaskFacts facts;
  facts.profile = profile;
  facts.status = status;
  facts.durationSeconds = duration;
  facts.fraction = fraction;
  facts.runSeconds = run;
  return facts;
}

struct Case {
  const char* name;
  std::vector<QueueTaskFacts> tasks;
  int slots;
  double expected;
};

TEST(QueueEstimate, LaysRemainingWorkOverTheSlots) {
  const Case cases[] = {
      {"nothing left", {Task(4, 10, 1, 5)}, 2, 0},
      {"nothing observed yet", {Task(1, 10), Task(1, 20)}, 2, -1},
      // Done task: 10 s of source in 5 s, speed 2. Waiting 20 s and 40 s on
      // two slots: 10 s and 20 s side by side.
      {"speed from a done task", {Task(4, 10, 1, 5), Task(1, 20), Task(1, 40)}, 2, 20},
      {"one slot adds them up", {Task(4, 10, 1, 5), Task(1, 20), Task(1, 40)}, 1, 30},
      // Running task half way after 10 s: 10 s left; then the waiting one (speed 1) on the free slot.
      {"running task keeps its own speed", {Task(2, 20, 0.5, 10), Task(1, 8)}, 2, 10},
      {"next waiting task goes to the slot that frees first",
       {Task(2, 20, 0.5, 10), Task(2, 40, 0.75, 30), Task(1, 6)}, 2, 16},
      {"failed tasks count nothing", {Task(4, 10, 1, 10), Task(5, 100), Task(1, 10)}, 2, 10},
      // Profile B at speed 4, profile A at speed 1: a waiting B task uses B's speed.
      {"speed per profile",
       {Task(4, 40, 1, 10, L"B"), Task(4, 10, 1, 10, L"A"), Task(1, 40, 0, 0, L"B")}, 1, 10},
      {"unknown profile uses all together",
       {Task(4, 30, 1, 10, L"B"), Task(4, 10, 1, 10, L"A"), Task(1, 40, 0, 0, L"C")}, 1, 20},
      {"unknown duration counts as the mean", {Task(4, 10, 1, 10), Task(1, -1)}, 1, 10},
      {"a run too short to judge is not a speed", {Task(2, 10, 0.5, 0.5)}, 1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(EstimateQueueSeconds(c.tasks, c.slots), c.expected, 1e-9) << c.name;
  }
}

TEST(QueueEstimate, TextForTheStatusBar) {
  EXPECT_EQ(QueueEstimateText(-1), L"");
  EXPECT_EQ(QueueEstimateText(30), L"Queue: < 1 minute");
  EXPECT_EQ(QueueEstimateText(20 * 60 + 5), L"Queue: 20 minutes");
}

}  // namespace
}  // namespace cw
