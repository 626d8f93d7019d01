// Messages waiting to be shown on the UI thread. Any thread posts; the UI
// loop drains them later, when nothing on the UI thread holds a lock, so a
// modal message box never opens inside an engine operation.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace cw {

class DeferredMessages {
 public:
  // Asks the UI loop to call Drain() soon. Called from any thread, at most
  // once per batch of posts.
  using Schedule = std::function<void()>;
  // Shows one message (modally). UI thread.
  using Show = std::function<void(const std::wstring& text)>;

  DeferredMessages(Schedule schedule, Show show);

  // Queues a message. Any thread; never shows anything itself.
  void Post(const std::wstring& text);

  // Shows every queued message in order, including those posted while one is
  // open. A Drain that starts while another is showing (from the nested loop
  // of a message box) returns at once. UI thread.
  void Drain();

 private:
  Schedule schedule_;
  Show show_;
  std::mutex mutex_;
  std::deque<std::wstring> texts_;
  bool scheduled_ = false;
  bool draining_ = false;
};

}  // namespace cw
