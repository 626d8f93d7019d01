// Queue of messages for the UI thread.
#include "platform/deferred_messages.h"

#include <algorithm>

namespace cw {

DeferredMessages::DeferredMessages(Schedule schedule, Show show, Clock clock)
    : schedule_(std::move(schedule)), show_(std::move(show)), clock_(std::move(clock)) {}

bool DeferredMessages::IsRepeat(const std::wstring& text, std::chrono::steady_clock::time_point now) {
  for (auto it = recent_.begin(); it != recent_.end();) {
    it = now - it->second >= kQuietPeriod ? recent_.erase(it) : std::next(it);
  }
  auto recent = recent_.find(text);
  if (recent != recent_.end()) {
    recent->second = now;
    return true;
  }
  if (showing_ && *showing_ == text) return true;
  return std::find(texts_.begin(), texts_.end(), text) != texts_.end();
}

void DeferredMessages::Post(const std::wstring& text) {
  bool schedule = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (IsRepeat(text, clock_())) return;
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
      showing_ = text;
    }
    show_(text);
    std::lock_guard<std::mutex> lock(mutex_);
    showing_.reset();
    recent_[text] = clock_();
  }
}

}  // namespace cw
