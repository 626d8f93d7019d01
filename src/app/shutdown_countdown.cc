// The open shutdown countdowns.
#include "app/shutdown_countdown.h"
#include "platform/translate.h"

namespace cw {

// One countdown: its window and the dialog logic driving it. Closed ones are
// freed at the next opening, never inside their own window's event.
struct ShutdownCountdowns::Countdown {
  std::unique_ptr<CountdownWindow> window;
  std::unique_ptr<ShutdownDialog> dialog;
};

ShutdownCountdowns::ShutdownCountdowns(Shell& shell, ShutdownCommand command)
    : shell_(shell), command_(std::move(command)) {}

ShutdownCountdowns::~ShutdownCountdowns() {
  // Windows first: no event may reach a dialog that is gone.
  for (auto& c : countdowns_) c->window.reset();
}

void ShutdownCountdowns::Open() {
  ForgetClosed();
  auto countdown = std::make_unique<Countdown>();
  Countdown* c = countdown.get();
  CountdownWindowEvents events;
  events.on_tick = [c] { if (c->dialog) c->dialog->OnTimer(); };
  events.on_shutdown_now = [c] { if (c->dialog) c->dialog->OnShutdownNow(); };
  events.on_cancel = [c] { if (c->dialog) c->dialog->OnCancel(); };
  CountdownWindowTexts texts{Tr(ShutdownDialog::kCaption), Tr(ShutdownDialog::kInitialText),
                             Tr(ShutdownDialog::kShutdownNowText), Tr(ShutdownDialog::kCancelText)};
  c->window = shell_.OpenCountdownWindow(texts, std::move(events));
  if (!c->window) return;
  c->dialog = std::make_unique<ShutdownDialog>(c->window.get(), command_);
  c->dialog->OnInitDialog();
  countdowns_.push_back(std::move(countdown));
}

int ShutdownCountdowns::open_count() const {
  int n = 0;
  for (const auto& c : countdowns_) n += c->dialog->closed() ? 0 : 1;
  return n;
}

void ShutdownCountdowns::ForgetClosed() {
  std::erase_if(countdowns_, [](const std::unique_ptr<Countdown>& c) { return c->dialog->closed(); });
}

}  // namespace cw
