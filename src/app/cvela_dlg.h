// The main dialog's host logic (CvelaDlg, OnInitDialog: inherited
// names, see the README's glossary): start-up of the window (icon, catalog, page,
// refresh timer, external object), the 2-second refresh tick that hands the
// page the task list, the close routine and the page's two click bindings.
// Written against the abstract window; UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bridge/external_object.h"
#include "bridge/host_engine.h"
#include "platform/window.h"

namespace cw {

class HostCommands;  // app/host_commands.h

class CvelaDlg : public WindowEvents {
 public:
  static constexpr int kRefreshTimerId = 1;
  static constexpr int kRefreshPeriodMs = 2000;
  static constexpr const wchar_t* kDefaultTitle = L"Clipwright";
  // The question before closing with tasks in the list, in its fixed wording
  // (QuitQuestion() is what the window asks: this text in English).
  static constexpr const wchar_t* kQuitQuestion =
      L"All uncompleted tasks will be cancelled!! \r\n Are you sure to quit?";
  static std::wstring QuitQuestion();

  // Neither is owned; both must outlive the dialog.
  CvelaDlg(Window& window, HostEngine& engine);

  // Icon, catalog (its messages shown before the page opens), title,
  // navigation to the page, refresh timer. The external object answers from
  // the moment the dialog exists.
  void OnInitDialog();

  // The refresh tick, and the wake-up after a run's end: one refresh of the
  // queue (ended runs noticed, then scheduling), its task JSON handed to the
  // page, then the refresh listener told.
  void OnTimer(int timer_id) override;
  // Called with the views after every refresh (the desktop notification
  // watches them). UI thread.
  using RefreshListener = std::function<void(const std::vector<TaskView>&)>;
  void SetRefreshListener(RefreshListener listener) { refresh_listener_ = std::move(listener); }
  // How the dialog ended, told to the end listener just before it ends:
  // kClosed by the close routine (nothing was listed, or every task was
  // cancelled), kOk by the OK action (nothing stopped), kStopRequest by a
  // request from outside (a signal). UI thread.
  enum class EndReason { kClosed, kOk, kStopRequest };
  using EndListener = std::function<void(EndReason)>;
  void SetEndListener(EndListener listener) { end_listener_ = std::move(listener); }
  // Called after every page call, menu command and drop (which may have
  // changed the task list). UI thread.
  using CommandListener = std::function<void()>;
  void SetCommandListener(CommandListener listener) { command_listener_ = std::move(listener); }
  // A request from outside to end the program (SIGTERM, SIGHUP, SIGINT):
  // saves the settings, tells the end listener (which keeps the queue),
  // stops every encoder and ends, asking nothing.
  void OnStopRequest();
  // The close routine: saves the settings, asks when tasks are listed, stops
  // the encoders on Yes. Returns whether the dialog may end.
  bool PrepareToClose();
  // Cancel action (frame close, Exit, ButtonCancel): the close routine, then end.
  void OnCancel();
  // OK action (ButtonOK): ends at once, saving and stopping nothing.
  void OnOK();

  void OnClose() override { OnCancel(); }
  std::optional<std::wstring> OnExternalCall(const std::wstring& method,
                                             const std::optional<std::wstring>& arg) override;
  void OnElementClick(const std::wstring& element_id) override;
  // Menu commands, check marks and drops go to the host commands, once set.
  void OnMenuCommand(int command_id) override;
  bool IsMenuItemChecked(int command_id) override;
  void OnFilesDropped(const std::vector<std::wstring>& paths) override;
  // Not owned; null (the default) leaves menus and drops without effect.
  void SetHostCommands(HostCommands* commands) { commands_ = commands; }

  // Host -> page: write an element, call a page function.
  void SetElementText(const std::wstring& id, const std::wstring& text) { window_.SetElementText(id, text); }
  std::wstring GetElementText(const std::wstring& id) { return window_.GetElementText(id); }
  void CallPageFunction(const std::wstring& name);

  // "%s v%s" from the product name and version; the default caption when the
  // catalog gave no product name.
  std::wstring TitleText();

  ExternalObject& external() { return external_; }
  bool ended() const { return ended_; }

 private:
  void LoadCatalogShowingMessages();
  void End(DialogResult result, EndReason reason);
  void CommandDone() {
    if (!ended_ && command_listener_) command_listener_();
  }

  Window& window_;
  HostEngine& engine_;
  ExternalObject external_;
  HostCommands* commands_ = nullptr;
  RefreshListener refresh_listener_;
  EndListener end_listener_;
  CommandListener command_listener_;
  bool asking_to_close_ = false;
  bool ended_ = false;
  std::wstring shown_estimate_;  // the queue estimate last written to the status bar
  std::wstring shown_seconds_;   // and its seconds last written beside it
};

// The queue estimate's seconds as the status bar's data-seconds: whole
// seconds in decimal, "" for a negative (unknown) or unusable figure.
std::wstring QueueSecondsText(double seconds);

// The program folder's page and icon.
std::wstring PagePath();
std::wstring IconPath();

}  // namespace cw
