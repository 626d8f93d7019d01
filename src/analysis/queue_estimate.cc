// The whole queue's remaining-time estimate.
#include "analysis/queue_estimate.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "analysis/time_tick.h"
#include "platform/translate.h"

namespace cw {
namespace {

constexpr int kWaiting = 1, kRunning = 2, kPaused = 3, kDone = 4;

struct Speed {
  double source = 0;  // source seconds converted
  double run = 0;     // running seconds spent
  double Value() const { return run > 0 && source > 0 ? source / run : -1; }
};

bool Unfinished(int status) { return status == kWaiting || status == kRunning || status == kPaused; }

double MeanKnownDuration(const std::vector<QueueTaskFacts>& tasks) {
  double sum = 0;
  int count = 0;
  for (const auto& task : tasks) {
    if (task.durationSeconds > 0 && std::isfinite(task.durationSeconds)) {
      sum += task.durationSeconds;
      ++count;
    }
  }
  return count > 0 ? sum / count : -1;
}

double DurationOf(const QueueTaskFacts& task, double mean) {
  return task.durationSeconds > 0 && std::isfinite(task.durationSeconds) ? task.durationSeconds : mean;
}

// A task's own observed speed, or -1 when it has not run long enough.
double OwnSpeed(const QueueTaskFacts& task, double duration) {
  if (task.runSeconds < kMinObservedSeconds || task.fraction <= 0 || duration <= 0) return -1;
  return std::min(task.fraction, 1.0) * duration / task.runSeconds;
}

}  // namespace

double EstimateQueueSeconds(const std::vector<QueueTaskFacts>& tasks, int slots) {
  const double mean = MeanKnownDuration(tasks);
  std::map<std::wstring, Speed> by_profile;
  Speed all;
  for (const auto& task : tasks) {
    if (task.status != kDone && task.status != kRunning && task.status != kPaused) continue;
    const double duration = DurationOf(task, mean);
    if (OwnSpeed(task, duration) < 0 && task.status != kDone) continue;
    if (task.runSeconds <= 0 || duration <= 0) continue;
    const double converted = (task.status == kDone ? 1.0 : std::min(task.fraction, 1.0)) * duration;
    by_profile[task.profile].source += converted;
    by_profile[task.profile].run += task.runSeconds;
    all.source += converted;
    all.run += task.runSeconds;
  }
  // Remaining running seconds of each unfinished task, in queue order;
  // running and paused tasks hold their slots first.
  std::vector<double> holding, waiting;
  bool any_left = false;
  for (const auto& task : tasks) {
    if (!Unfinished(task.status)) continue;
    any_left = true;
    const double duration = DurationOf(task, mean);
    if (duration <= 0) return -1;
    double speed = OwnSpeed(task, duration);
    if (speed < 0) {
      auto found = by_profile.find(task.profile);
      speed = found != by_profile.end() ? found->second.Value() : -1;
    }
    if (speed < 0) speed = all.Value();
    if (speed <= 0) return -1;
    const double left = duration * (1.0 - std::clamp(task.fraction, 0.0, 1.0)) / speed;
    (task.status == kWaiting ? waiting : holding).push_back(left);
  }
  if (!any_left) return 0;
  // Lay the tasks out over the slots: each next task starts on the slot that
  // frees first, as the scheduler starts the next waiting task.
  const size_t slot_count = static_cast<size_t>(std::max(1, slots));
  std::vector<double> free_at(std::max(slot_count, holding.size()), 0.0);
  for (size_t i = 0; i < holding.size(); ++i) free_at[i] = holding[i];
  for (double left : waiting) {
    // Only `slot_count` slots take new tasks; extra paused ones just hold theirs.
    auto first = std::min_element(free_at.begin(), free_at.begin() + static_cast<long>(slot_count));
    *first += left;
  }
  return *std::max_element(free_at.begin(), free_at.end());
}

std::wstring QueueEstimateText(double seconds) {
  if (!(seconds >= 0) || !std::isfinite(seconds)) return L"";
  const double ms = std::min(seconds * 1000.0, 2147483647.0);
  return Fill(Tr(L"Queue: %1"), {RemainingTimeForPeople(RemainingTimeText(static_cast<int32_t>(ms)))});
}

}  // namespace cw
