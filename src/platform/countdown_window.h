// The shutdown countdown's window, as the host logic sees it: a small
// always-on-top window with a message line, a default "shut down now" button
// and a cancel button, and a once-a-second timer. The GTK implementation
// lives in the desktop program; tests use a fake.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace cw {

struct CountdownWindowEvents {
  std::function<void()> on_tick;          // the timer fired
  std::function<void()> on_shutdown_now;  // default button (also Enter)
  std::function<void()> on_cancel;        // cancel button, Escape or the close box
};

class CountdownWindow {
 public:
  virtual ~CountdownWindow() = default;
  virtual void SetMessageText(const std::wstring& text) = 0;
  virtual void StartTimer(int period_ms) = 0;
  virtual void StopTimer() = 0;
  // Closes the window; no event arrives afterwards.
  virtual void Close() = 0;
};

}  // namespace cw
