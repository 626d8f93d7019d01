// The remaining time of the whole queue: every unfinished task's remaining
// source duration divided by the encode speed observed so far for its device
// and quality, laid out over the parallel slots in queue order. Pure: the
// caller supplies one record per task, so the estimate is tested without
// encoders or clocks.
#pragma once

#include <string>
#include <vector>

namespace cw {

// What the estimate needs to know of one task.
struct QueueTaskFacts {
  std::wstring profile;        // device and quality; speeds are kept per profile
  int status = 1;              // 1 waiting, 2 running, 3 paused, 4 done, 5 failed (others: not counted)
  double durationSeconds = -1; // the source's duration; -1 while unknown
  double fraction = 0;         // 0..1 of the source converted
  double runSeconds = 0;       // running time spent on it so far (pauses left out)
};

// Seconds until the last unfinished task (waiting, running or paused) should
// end with `slots` tasks running side by side, or -1 while nothing has been
// observed yet to base a speed on. 0 when nothing is left. Speeds: per
// profile, source seconds per running second summed over its tasks with at
// least kMinObservedSeconds of running time; a profile without any observed
// uses the speed of all profiles together. A running task far enough along
// uses its own speed. Sources of unknown duration count as the mean known
// duration. Any thread.
inline constexpr double kMinObservedSeconds = 1.0;
double EstimateQueueSeconds(const std::vector<QueueTaskFacts>& tasks, int slots);

// The status-bar text for an estimate: "" for a negative one, else
// "Queue: " followed by the remaining-time text ("< 1 minute", "20 minutes"...).
std::wstring QueueEstimateText(double seconds);

}  // namespace cw
