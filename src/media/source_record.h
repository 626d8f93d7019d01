// What the background probing learned about one source, shared between the
// task (UI thread) and the probing worker. Guarded by its own mutex; the
// refresh copies it into the task's view.
#pragma once

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
  }

 private:
  mutable std::mutex mutex_;
  Snapshot snapshot_;
};

}  // namespace cw
