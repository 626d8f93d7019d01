// The shutdown countdown: once the queue has been worked off with "shut down
// when done" on, a window counts down 60 seconds and then runs the system's
// shutdown command once; the user can shut down at once or cancel.
// UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/countdown_window.h"
#include "platform/translate.h"

namespace cw {

// Runs the operating system's shutdown, hidden, without waiting. Injected so
// that tests can never run the real one.
using ShutdownCommand = std::function<void()>;

class ShutdownDialog {
 public:
  // The fixed caption, kept on purpose (README glossary).
  static constexpr const wchar_t* kCaption = N_(L"Reelmarch - Auto Shutdown");
  static constexpr const wchar_t* kInitialText = N_(L"Computer is going to shutdown in 60 second");
  static constexpr const wchar_t* kShutdownNowText = N_(L"Shutdown Right Now");
  static constexpr const wchar_t* kCancelText = N_(L"Cancel Shutdown");
  static constexpr int kTimerPeriodMs = 1000;
  static constexpr int kSeconds = 60;

  // `window` is not owned and must outlive the dialog or be closed by it.
  ShutdownDialog(CountdownWindow* window, ShutdownCommand command);

  void OnInitDialog();   // countdown <- 60, timer started
  void OnTimer();        // one second passed
  void OnShutdownNow();  // runs the command at once; the count goes on
  void OnCancel();       // closes the window; nothing runs

  int countdown() const { return countdown_; }
  const std::wstring& text() const { return text_; }
  bool closed() const { return closed_; }

 private:
  CountdownWindow* window_;
  ShutdownCommand command_;
  int countdown_ = kSeconds;
  std::wstring text_ = Tr(kInitialText);
  bool timer_running_ = false;
  bool closed_ = false;
};

// The countdown text for a number of seconds left, in the user's language.
std::wstring CountdownText(int seconds);

}  // namespace cw
