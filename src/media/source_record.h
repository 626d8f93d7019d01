// What the background probing learned about one source, shared between the
// task (UI thread), the probing worker and the task's encoder run, which
// waits for the facts it needs. Guarded by its own mutex; the refresh copies
// it into the task's view.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "media/source_probe.h"

namespace cw {

class SourceRecord {
 public:
  enum class State { kPending, kDone, kFailed };
  struct Snapshot {
    State state = State::kPending;
    SourceFacts facts;
    std::wstring thumbnailPath;  // a PNG in the thumbnail cache; "" none
  };

  // Any thread.
  Snapshot Read() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return snapshot_;
  }
  void Write(const Snapshot& snapshot) {
    std::lock_guard<std::mutex> hold(mutex_);
    snapshot_ = snapshot;
    settled_.notify_all();
  }

  // The prober calls this when it takes the record into its queue. Any thread.
  void MarkQueued() {
    std::lock_guard<std::mutex> hold(mutex_);
    queued_ = true;
  }

  // Waits until the probing has answered (the state is no longer pending)
  // or `time_limit_ms` has passed, and returns what is known then; returns at
  // once for a record never queued. Marks the record wanted meanwhile, so
  // the prober takes it before the others. Any thread but the prober's.
  Snapshot WaitForFacts(int time_limit_ms) {
    std::unique_lock<std::mutex> hold(mutex_);
    wanted_ = queued_;
    settled_.wait_for(hold, std::chrono::milliseconds(time_limit_ms),
                      [&] { return !queued_ || snapshot_.state != State::kPending; });
    return snapshot_;
  }

  // True while a run waits for this record's facts. Any thread.
  bool Wanted() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return wanted_ && snapshot_.state == State::kPending;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable settled_;
  Snapshot snapshot_;
  bool queued_ = false;
  bool wanted_ = false;
};

}  // namespace cw
