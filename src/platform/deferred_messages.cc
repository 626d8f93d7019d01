// Queue of messages for the UI thread.
#include "platform/deferred_messages.h"

namespace cw {

DeferredMessages::DeferredMessages(Schedule schedule, Show show)
    : schedule_(std::move(schedule)), show_(std::move(show)) {}

void DeferredMessages::Post(const std::wstring& text) {
  bool schedule = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.push_back(text);
    if (!scheduled_ && !draining_) {
      scheduled_ = true;
      schedule = true;
    }
  }
  if (schedule) schedule_();
}

void DeferredMessages::Drain() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    scheduled_ = false;
    if (draining_) return;  // the running drain will show what came in
    draining_ = true;
  }
  for (;;) {
    std::wstring text;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (texts_.empty()) {
        draining_ = false;
        return;
      }
      text = std::move(texts_.front());
      texts_.pop_front();
    }
    show_(text);
  }
}

}  // namespace cw
