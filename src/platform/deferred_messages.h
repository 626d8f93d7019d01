// Messages waiting to be shown on the UI thread. Any thread posts; the UI
// loop drains them later, when nothing on the UI thread holds a lock, so a
// modal message box never opens inside an engine operation.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace cw {

class DeferredMessages {
 public:
  // Asks the UI loop to call Drain() soon. Called from any thread, at most
  // once per batch of posts.
  using Schedule = std::function<void()>;
  // Shows one message (modally). UI thread.
  using Show = std::function<void(const std::wstring& text)>;

  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // How long after a box of one text was closed (or the text was last
  // raised again) the same text stays silent.
  static constexpr std::chrono::seconds kQuietPeriod{10};

  DeferredMessages(Schedule schedule, Show show, Clock clock = std::chrono::steady_clock::now);

  // Queues a message. Any thread; never shows anything itself. One message
  // per cause: a text that is already queued or showing is dropped, and so is
  // one whose box closed less than kQuietPeriod ago; each such repeat starts
  // that period anew, so a cause that keeps recurring (every queued task
  // failing the same way) opens one box.
  void Post(const std::wstring& text);

  // Shows every queued message in order, including those posted while one is
  // open. A Drain that starts while another is showing (from the nested loop
  // of a message box) returns at once. UI thread.
  void Drain();

 private:
  bool IsRepeat(const std::wstring& text, std::chrono::steady_clock::time_point now);

  Schedule schedule_;
  Show show_;
  Clock clock_;
  std::mutex mutex_;
  std::deque<std::wstring> texts_;
  std::optional<std::wstring> showing_;
  std::map<std::wstring, std::chrono::steady_clock::time_point> recent_;  // text -> last shown or repeated
  bool scheduled_ = false;
  bool draining_ = false;
};

}  // namespace cw
