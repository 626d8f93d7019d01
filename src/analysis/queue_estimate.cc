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

namespace {

const std::wstring kAllProfiles = L"\n*";
constexpr double kMaxIntervalSeconds = 10;  // a longer gap between refreshes says nothing reliable
constexpr double kHalfLifeSeconds = 120;    // older intervals weigh half as much per this
constexpr double kMinRateSeconds = 3;       // task-seconds before a speed counts
// How a task's speed goes with the number running before that number has
// been seen: with n running it is the speed seen with m running times
// (m / n) to this power. 1 would be a capacity shared exactly (alone twice
// as fast as each of two), 0 a core each; encoders that use every core come
// close to 1, but not quite.
constexpr double kShareExponent = 0.75;

// Source seconds of `task` converted so far, or -1 when its duration is unknown.
double Converted(const QueueTaskFacts& task) {
  if (!(task.durationSeconds > 0) || !std::isfinite(task.durationSeconds)) return -1;
  return std::clamp(task.fraction, 0.0, 1.0) * task.durationSeconds;
}

}  // namespace

void QueueEstimator::Observe(const std::vector<QueueTaskFacts>& tasks, double now_seconds) {
  std::map<std::wstring, Seen> seen;
  int running = 0;
  for (const auto& task : tasks) {
    if (task.status == kRunning) ++running;
    const double converted = Converted(task);
    if (task.id.empty() || converted < 0 || (task.status != kWaiting && task.status != kRunning && task.status != kDone)) {
      continue;
    }
    seen[task.id] = {task.status == kDone ? task.durationSeconds : converted, task.status};
  }
  const double interval = now_seconds - last_seconds_;
  if (last_seconds_ >= 0 && interval > 0 && interval <= kMaxIntervalSeconds && running > 0 && running == last_running_) {
    // Everything converted meanwhile, the ends and starts inside the
    // interval included: a task's start is slow and its end (the encoder
    // emptying its pipeline) fast, so leaving either out would tilt the speed.
    std::map<std::wstring, Rate> step;
    for (const auto& task : tasks) {
      auto before = seen_.find(task.id);
      auto now = seen.find(task.id);
      if (before == seen_.end() || now == seen.end()) continue;
      const bool went_on = before->second.status == kWaiting || before->second.status == kRunning;
      if (!went_on || now->second.status == kWaiting) continue;
      const double done = std::max(0.0, now->second.converted - before->second.converted);
      // The running time: the interval for each end of it that saw the task run.
      const double time = interval * ((before->second.status == kRunning) + (now->second.status == kRunning)) / 2.0;
      for (const std::wstring* profile : {&task.profile, &kAllProfiles}) {
        step[*profile].source += done;
        step[*profile].time += time;
      }
    }
    const double keep = std::exp2(-interval / kHalfLifeSeconds);
    for (const auto& [profile, add] : step) {
      Rate& rate = rates_[{profile, running}];
      rate.source = rate.source * keep + add.source;
      rate.time = rate.time * keep + add.time;
    }
  }
  seen_ = std::move(seen);
  last_running_ = running;
  last_seconds_ = now_seconds;
}

double QueueEstimator::SpeedOf(const std::wstring& profile, int running) const {
  for (const std::wstring* which : {&profile, &kAllProfiles}) {
    // The speed seen with this many running, else the best-founded other
    // count, scaled so that the machine's capacity stays the same.
    auto exact = rates_.find({*which, running});
    if (exact != rates_.end() && exact->second.time >= kMinRateSeconds) return exact->second.source / exact->second.time;
    const Rate* best = nullptr;
    int best_running = 0;
    for (auto it = rates_.lower_bound({*which, 0}); it != rates_.end() && it->first.first == *which; ++it) {
      if (it->second.time >= kMinRateSeconds && (!best || it->second.time > best->time)) {
        best = &it->second;
        best_running = it->first.second;
      }
    }
    if (best) return best->source / best->time * std::pow(static_cast<double>(best_running) / running, kShareExponent);
  }
  return -1;
}

// Plays the remaining work forward: running and paused tasks hold their
// slots, waiting ones start in queue order as slots free; between two ends
// every task runs at its speed for the number running. -1 when a speed or a
// duration is unknown.
double QueueEstimator::Play(const std::vector<QueueTaskFacts>& tasks, int slots) const {
  const double mean = MeanKnownDuration(tasks);
  struct Left {
    const std::wstring* profile;
    double source;
  };
  std::vector<Left> active, waiting;
  for (const auto& task : tasks) {
    if (!Unfinished(task.status)) continue;
    const double duration = DurationOf(task, mean);
    if (duration <= 0) return -1;
    Left left{&task.profile, duration * (1.0 - std::clamp(task.fraction, 0.0, 1.0))};
    (task.status == kWaiting ? waiting : active).push_back(left);
  }
  const size_t slot_count = static_cast<size_t>(std::max(1, slots));
  size_t next = 0;
  double clock = 0;
  for (;;) {
    while (active.size() < slot_count && next < waiting.size()) active.push_back(waiting[next++]);
    if (active.empty()) return clock;
    const int running = static_cast<int>(active.size());
    std::vector<double> speeds;
    double first_end = -1;
    for (const Left& left : active) {
      const double speed = SpeedOf(*left.profile, running);
      if (!(speed > 0)) return -1;
      speeds.push_back(speed);
      const double end = left.source / speed;
      if (first_end < 0 || end < first_end) first_end = end;
    }
    clock += first_end;
    std::vector<Left> still;
    for (size_t i = 0; i < active.size(); ++i) {
      active[i].source -= speeds[i] * first_end;
      if (active[i].source > 1e-9 * (1 + speeds[i])) still.push_back(active[i]);
    }
    active = std::move(still);
  }
}

double QueueEstimator::Update(const std::vector<QueueTaskFacts>& tasks, int slots, double now_seconds) {
  Observe(tasks, now_seconds);
  const double played = Play(tasks, slots);
  return played >= 0 ? played : EstimateQueueSeconds(tasks, slots);
}

std::wstring QueueEstimateText(double seconds) {
  if (!(seconds >= 0) || !std::isfinite(seconds)) return L"";
  const double ms = std::min(seconds * 1000.0, 2147483647.0);
  return Fill(Tr(L"Queue: %1"), {RemainingTimeForPeople(RemainingTimeText(static_cast<int32_t>(ms)))});
}

}  // namespace cw
