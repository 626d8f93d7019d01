// The remaining time of the whole queue: every unfinished task's remaining
// source duration divided by the encode speed observed so far for its device
// and quality, laid out over the parallel slots in queue order. Pure: the
// caller supplies one record per task, so the estimate is tested without
// encoders or clocks.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace cw {

// What the estimate needs to know of one task.
struct QueueTaskFacts {
  std::wstring id;             // the task's identity from one refresh to the next
  std::wstring profile;        // device and quality; speeds are kept per profile
  int status = 1;              // 1 waiting, 2 running, 3 paused, 4 done, 5 failed (others: not counted)
  double durationSeconds = -1; // the source's duration; -1 while unknown
  double fraction = 0;         // 0..1 of the source converted
  double runSeconds = 0;       // running time spent on it so far (pauses left out)
};

// Seconds until the last unfinished task (waiting, running or paused) should
// end with `slots` tasks running side by side, or -1 while nothing has been
// observed yet to base a speed on. 0 when nothing is left. Speeds: per
// profile, source seconds per running second summed over its done tasks and
// its running ones with at least kMinObservedSeconds of running time (the
// running time counts whole seconds, so a shorter run says little); a
// profile without any observed uses the speed of all profiles together. A
// running task far enough along uses its own speed. Sources of unknown
// duration count as the mean known duration. The estimate of one moment,
// without history; QueueEstimator refines it across refreshes. Any thread.
inline constexpr double kMinObservedSeconds = 3.0;
double EstimateQueueSeconds(const std::vector<QueueTaskFacts>& tasks, int slots);

// The estimate refined across refreshes. Between two refreshes that saw the
// same number of tasks running, the source converted (by tasks that ran, ended
// or started meanwhile) per second of the steady clock and running task is
// the speed of one task of that profile with that many running side by side;
// those speeds are kept per profile and number running, recent intervals
// weighing more. The remaining work is then played forward in queue order
// over the slots, each task at the speed of its profile for the number
// running at that time: when fewer run (the tail of the queue), each runs
// faster, as the machine's capacity is shared by fewer. A speed not seen for
// a number running is taken from the best-founded one seen, scaled as if
// most of the capacity were shared (one alone about 1.7 times as fast as
// each of two). Until a first interval has been seen, the estimate of the
// moment (EstimateQueueSeconds). Owned by one refreshing thread.
class QueueEstimator {
 public:
  // The estimate (seconds, -1 unknown, 0 nothing left) after a refresh that
  // saw `tasks` at `now_seconds` of a steady clock, `slots` side by side.
  double Update(const std::vector<QueueTaskFacts>& tasks, int slots, double now_seconds);

 private:
  struct Rate {
    double source = 0;  // source seconds converted, decayed
    double time = 0;    // task-seconds of running, decayed
  };
  void Observe(const std::vector<QueueTaskFacts>& tasks, double now_seconds);
  // One task's speed for its profile with `running` side by side; -1 unknown.
  double SpeedOf(const std::wstring& profile, int running) const;
  double Play(const std::vector<QueueTaskFacts>& tasks, int slots) const;

  struct Seen {
    double converted = 0;  // source seconds converted
    int status = 0;
  };
  std::map<std::pair<std::wstring, int>, Rate> rates_;  // (profile, number running); profile "\n*" = all
  std::map<std::wstring, Seen> seen_;                   // waiting, running and done tasks at the last refresh
  int last_running_ = 0;
  double last_seconds_ = -1;
};

// The status-bar text for an estimate: "" for a negative one, else
// "Queue: " followed by the remaining-time text ("< 1 minute", "20 minutes"...).
std::wstring QueueEstimateText(double seconds);

}  // namespace cw
