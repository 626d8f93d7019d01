// Opens the shutdown countdown: each opening makes a new countdown window
// with its own ShutdownDialog, which lives until the user cancels it (or the
// program ends). The shutdown command is injected: the desktop program hands
// in the system's, tests a recorder. UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/shell.h"
#include "shutdown/shutdown_dialog.h"

namespace cw {

class ShutdownCountdowns {
 public:
  // `shell` is not owned and must outlive the object.
  ShutdownCountdowns(Shell& shell, ShutdownCommand command);
  ~ShutdownCountdowns();

  // Opens a new countdown window and starts its count.
  void Open();

  // Countdowns still open (not cancelled).
  int open_count() const;

 private:
  struct Countdown;
  void ForgetClosed();

  Shell& shell_;
  ShutdownCommand command_;
  std::vector<std::unique_ptr<Countdown>> countdowns_;
};

}  // namespace cw
