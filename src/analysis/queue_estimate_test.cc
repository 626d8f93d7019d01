// Tests of the whole queue's remaining-time estimate.
#include "analysis/queue_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>

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
      // Whole seconds: a task just started may show 1 s with next to no progress.
      {"a just-started task does not slow the queue",
       {Task(4, 10, 1, 5), Task(2, 40, 0.001, 1), Task(1, 20)}, 1, 29.98}, 
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(EstimateQueueSeconds(c.tasks, c.slots), c.expected, 1e-9) << c.name;
  }
}

// A machine converting a queue in steps of 10 ms: `slots` side by side, each
// running task at speed(running) source seconds per second, the next waiting
// task starting as soon as one ends. Every `refresh` seconds the estimator
// sees the tasks as the window's refresh does.
struct Machine {
  std::vector<double> durations;
  int slots = 2;
  std::function<double(int)> speed;
  double refresh = 2;
};

struct Conversion {
  std::vector<std::pair<double, double>> estimates;  // (time, estimate)
  double end = 0;
};

Conversion Convert(const Machine& machine, QueueEstimator& estimator) {
  const size_t n = machine.durations.size();
  std::vector<double> done(n, 0), ran(n, 0);
  std::vector<int> status(n, 1);
  Conversion run;
  const double step = 0.01;
  double next_refresh = machine.refresh;
  for (int tick = 1;; ++tick) {
    const double now = tick * step;
    int running = 0;
    for (size_t i = 0; i < n; ++i) {
      if (status[i] == 1 && running < machine.slots) status[i] = 2;
      if (status[i] == 2) ++running;
    }
    if (running == 0) {
      run.end = now - step;
      return run;
    }
    for (size_t i = 0; i < n; ++i) {
      if (status[i] != 2) continue;
      done[i] += machine.speed(running) * step;
      ran[i] += step;
      if (done[i] >= machine.durations[i]) status[i] = 4;
    }
    if (now + 1e-9 >= next_refresh) {
      next_refresh += machine.refresh;
      std::vector<QueueTaskFacts> facts;
      for (size_t i = 0; i < n; ++i) {
        QueueTaskFacts f = Task(status[i], machine.durations[i], std::min(1.0, done[i] / machine.durations[i]),
                                std::floor(ran[i]));  // the running time counts whole seconds
        f.id = L"T" + std::to_wstring(i);
        facts.push_back(f);
      }
      run.estimates.emplace_back(now, estimator.Update(facts, machine.slots, now));
    }
  }
}

// The error of the estimate shown at `fraction` of the wall time (the last
// one given at or before it) against the true remaining time then.
double ErrorAt(const Conversion& run, double fraction) {
  double error = 1;
  for (const auto& [at, estimate] : run.estimates) {
    if (at > fraction * run.end) break;
    error = (estimate - (run.end - at)) / (run.end - at);
  }
  return error;
}

TEST(QueueEstimator, MeetsItsGoalsOnMachinesThatShareTheirCapacityOrNot) {
  // Eight clips of different lengths on two slots, as bench/queue_estimate runs them.
  const std::vector<double> lengths = {24, 4, 40, 9, 29, 14, 34, 19};
  struct MachineCase {
    const char* name;
    std::function<double(int)> speed;
    double goals[3];  // at 25 %, 50 % and 75 % of the wall time
  } machines[] = {
      // The capacity is shared: one task alone runs twice as fast as each of two.
      {"shared capacity", [](int running) { return 4.0 / running; }, {0.15, 0.10, 0.10}},
      {"partly shared", [](int running) { return running == 1 ? 3.0 : 2.0; }, {0.15, 0.10, 0.10}},
      // A core each: alone a task is no faster. Until the queue's tail shows
      // it, the estimate expects some speed-up, so it runs low towards the end.
      {"a core each", [](int) { return 2.0; }, {0.15, 0.10, 0.20}},
  };
  for (const auto& m : machines) {
    QueueEstimator estimator;
    Conversion run = Convert(Machine{lengths, 2, m.speed}, estimator);
    ASSERT_GT(run.estimates.size(), 10u) << m.name;
    const double at[] = {0.25, 0.5, 0.75};
    for (int i = 0; i < 3; ++i) EXPECT_LT(std::abs(ErrorAt(run, at[i])), m.goals[i]) << m.name << " at " << at[i];
  }
}

TEST(QueueEstimator, LearnsTheSpeedOfATaskAlone) {
  // A 10 s and a 60 s clip on a machine with a core each: after the short
  // one ends (5 s), the long one runs alone no faster; a few refreshes later
  // the estimate knows.
  QueueEstimator estimator;
  Conversion run = Convert(Machine{{10, 60}, 2, [](int) { return 2.0; }}, estimator);
  ASSERT_NEAR(run.end, 30, 0.05);
  for (const auto& [at, estimate] : run.estimates) {
    if (at < 12 || at > 28) continue;
    EXPECT_NEAR(estimate, run.end - at, 0.05 * (run.end - at)) << "at " << at;
  }
}

TEST(QueueEstimator, BeforeAnyIntervalItIsTheEstimateOfTheMoment) {
  QueueEstimator estimator;
  std::vector<QueueTaskFacts> tasks = {Task(4, 10, 1, 5), Task(1, 20), Task(1, 40)};
  EXPECT_NEAR(estimator.Update(tasks, 2, 100), EstimateQueueSeconds(tasks, 2), 1e-9);
  EXPECT_EQ(QueueEstimator().Update({Task(1, 10), Task(1, 20)}, 2, 0), -1);
  EXPECT_EQ(QueueEstimator().Update({Task(4, 10, 1, 5)}, 2, 0), 0);
}

// Two refreshes 2 s apart with tasks A and B at the given source seconds.
double AfterTwoRefreshes(std::vector<QueueTaskFacts> first, std::vector<QueueTaskFacts> second, double gap) {
  QueueEstimator estimator;
  estimator.Update(first, 2, 10);
  return estimator.Update(second, 2, 10 + gap);
}

QueueTaskFacts Named(const wchar_t* id, int status, double duration, double fraction, double run = 0) {
  QueueTaskFacts facts = Task(status, duration, fraction, run);
  facts.id = id;
  return facts;
}

TEST(QueueEstimator, CountsTheEndsAndStartsInsideAnInterval) {
  // In 2 s A ends (its last 4 s of source), B converts 4 s and C starts and
  // converts 2 s: 10 s of source in 4 task-seconds (A and C each ran about
  // half of it), speed 2.5 with two running. Left: B 36 s, C 18 s: C ends
  // after 7.2 s, then B's last 18 s alone run faster by 2^0.75.
  QueueEstimator estimator;
  estimator.Update({Named(L"A", 2, 40, 0.9, 10), Named(L"B", 2, 80, 0.5, 10), Named(L"C", 1, 20, 0)}, 2, 10);
  const double estimate =
      estimator.Update({Named(L"A", 4, 40, 1, 11), Named(L"B", 2, 80, 0.55, 12), Named(L"C", 2, 20, 0.1, 1)}, 2, 12);
  EXPECT_NEAR(estimate, 7.2 + 18 / (2.5 * std::pow(2.0, 0.75)), 1e-9);
}

TEST(QueueEstimator, LearnsOnlyFromIntervalsWithAsManyRunning) {
  // A and B each convert 4 s of source in 2 s: speed 2 with two running.
  // Left: A 16 s, B 36 s, then C 20 s. A ends at 8 s, C runs beside B to 18 s
  // (B then at 36 - 16 = 20 s left, C 20 s), both end at 18 s.
  const auto a = [](double f) { return Named(L"A", 2, 40, f, 10); };
  const auto b = [](double f) { return Named(L"B", 2, 80, f, 10); };
  const QueueTaskFacts c = Named(L"C", 1, 20, 0);
  EXPECT_NEAR(AfterTwoRefreshes({a(0.5), b(0.5), c}, {a(0.6), b(0.55), c}, 2), 18, 1e-9);
  // The same figures across a change of the running tasks, or after a long
  // gap, teach nothing: the estimate of the moment is kept.
  const std::vector<QueueTaskFacts> later = {a(0.6), b(0.55), c};
  EXPECT_NEAR(AfterTwoRefreshes({a(0.5), c}, later, 2), EstimateQueueSeconds(later, 2), 1e-9);
  EXPECT_NEAR(AfterTwoRefreshes({a(0.5), b(0.5), c}, later, 30), EstimateQueueSeconds(later, 2), 1e-9);
}

TEST(QueueEstimate, TextForTheStatusBar) {
  EXPECT_EQ(QueueEstimateText(-1), L"");
  EXPECT_EQ(QueueEstimateText(30), L"Queue: < 1 minute");
  EXPECT_EQ(QueueEstimateText(20 * 60 + 5), L"Queue: 20 minutes");
}

}  // namespace
}  // namespace cw
