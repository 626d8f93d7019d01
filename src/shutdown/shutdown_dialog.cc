// Countdown logic of the automatic shutdown window.
#include "shutdown/shutdown_dialog.h"
#include "platform/translate.h"

namespace cw {

std::wstring CountdownText(int seconds) {
  // English says "seconds" even for one, as it always did; other languages
  // follow their own plural rule.
  return Fill(TrN(L"Computer is going to shutdown in %1 seconds", L"Computer is going to shutdown in %1 seconds",
                  static_cast<unsigned long>(seconds)),
              {std::to_wstring(seconds)});
}

ShutdownDialog::ShutdownDialog(CountdownWindow* window, ShutdownCommand command)
    : window_(window), command_(std::move(command)) {}

void ShutdownDialog::OnInitDialog() {
  countdown_ = kSeconds;
  window_->SetMessageText(text_);
  window_->StartTimer(kTimerPeriodMs);
  timer_running_ = true;
}

void ShutdownDialog::OnTimer() {
  if (!timer_running_ || closed_) return;
  text_ = CountdownText(countdown_);
  window_->SetMessageText(text_);
  --countdown_;
  if (countdown_ < 1) {
    window_->StopTimer();
    timer_running_ = false;
    if (command_) command_();
  }
}

void ShutdownDialog::OnShutdownNow() {
  if (closed_) return;
  if (command_) command_();
}

void ShutdownDialog::OnCancel() {
  if (closed_) return;
  closed_ = true;
  if (timer_running_) window_->StopTimer();
  timer_running_ = false;
  window_->Close();
}

}  // namespace cw
