// The main dialog's host logic.
#include "app/cvela_dlg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/host_commands.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "app/menu_table.h"
#include "platform/translate.h"

namespace cw {

std::wstring PagePath() { return DataFolder() + L"htm/index.htm"; }
std::wstring IconPath() { return DataFolder() + L"app.ico"; }

CvelaDlg::CvelaDlg(Window& window, HostEngine& engine)
    : window_(window), engine_(engine), external_(window, engine) {}

void CvelaDlg::OnInitDialog() {
  window_.SetIconFromFile(IconPath());  // a missing icon leaves the default one
  LoadCatalogShowingMessages();
  window_.SetTitle(TitleText());
  window_.Navigate(PagePath());
  window_.StartTimer(kRefreshTimerId, kRefreshPeriodMs);
}

// The catalog's messages (a missing or broken data.dat), from its read at
// start-up, are shown before the page is opened.
void CvelaDlg::LoadCatalogShowingMessages() {
  for (const std::wstring& text : engine_.TakeCatalogMessages()) window_.ShowMessageBox(text);
}

// Translated in its two sentences: a catalogue entry holds no "\r".
std::wstring CvelaDlg::QuitQuestion() {
  return Tr(L"All uncompleted tasks will be cancelled!! ") + L"\r\n " + Tr(L"Are you sure to quit?");
}

std::wstring CvelaDlg::TitleText() {
  std::wstring name = engine_.ProductName();
  if (name.empty()) return kDefaultTitle;
  return name + L" v" + engine_.ProductVersion();
}

std::wstring QueueSecondsText(double seconds) {
  if (!(seconds >= 0) || !std::isfinite(seconds)) return L"";
  return std::to_wstring(static_cast<int64_t>(std::min(std::round(seconds), 1e15)));
}

void CvelaDlg::OnTimer(int /*timer_id*/) {
  if (ended_) return;
  HostEngine::RefreshedQueue refreshed = engine_.RefreshQueue();  // the engine has released its lock here
  window_.SetElementText(kParmContainer, refreshed.json);
  CallPageFunction(L"updateProgress");
  // The status bar's whole-queue estimate, each part written only when it
  // changes: its whole seconds as data-seconds ("" while unknown), for
  // readers that need more than the text's minutes, then the text.
  std::wstring seconds = QueueSecondsText(refreshed.queueSeconds);
  if (seconds != shown_seconds_) {
    shown_seconds_ = seconds;
    window_.SetElementData(kQueueEstimate, L"seconds", shown_seconds_);
  }
  if (refreshed.queueEstimate != shown_estimate_) {
    shown_estimate_ = refreshed.queueEstimate;
    window_.SetElementText(kQueueEstimate, shown_estimate_);
  }
  if (refresh_listener_) refresh_listener_(refreshed.tasks);
}

bool CvelaDlg::PrepareToClose() {
  engine_.SaveConfig();
  if (engine_.GetTaskCount() > 0) {
    // The question runs a nested loop: a second close request meanwhile is
    // answered by this one question, not by another.
    if (asking_to_close_) return false;
    asking_to_close_ = true;
    bool yes = window_.AskYesNo(QuitQuestion());
    asking_to_close_ = false;
    if (!yes || ended_) return false;
    engine_.StopAllTasks();
  }
  return true;
}

void CvelaDlg::OnCancel() {
  if (ended_ || asking_to_close_) return;
  if (PrepareToClose()) End(DialogResult::kCancel, EndReason::kClosed);
}

void CvelaDlg::OnStopRequest() {
  if (ended_) return;
  engine_.SaveConfig();
  if (end_listener_) end_listener_(EndReason::kStopRequest);  // the queue is kept before the encoders stop
  end_listener_ = nullptr;
  engine_.StopAllTasks();
  End(DialogResult::kCancel, EndReason::kStopRequest);
}

void CvelaDlg::OnOK() {
  if (ended_) return;
  End(DialogResult::kOk, EndReason::kOk);
}

void CvelaDlg::End(DialogResult result, EndReason reason) {
  ended_ = true;
  if (end_listener_) end_listener_(reason);
  window_.EndDialog(result);
}

std::optional<std::wstring> CvelaDlg::OnExternalCall(const std::wstring& method,
                                                     const std::optional<std::wstring>& arg) {
  if (ended_) return std::nullopt;
  std::optional<std::wstring> result = external_.Invoke(method, arg);
  CommandDone();
  return result;
}

void CvelaDlg::OnElementClick(const std::wstring& element_id) {
  if (element_id == L"ButtonOK") {
    OnOK();
  } else if (element_id == L"ButtonCancel") {
    OnCancel();
  }
}

void CvelaDlg::OnMenuCommand(int command_id) {
  if (ended_) return;
  if (command_id == kCmdExit) {
    OnCancel();  // the close routine, like the frame's close button
  } else if (commands_) {
    commands_->OnMenuCommand(command_id);
    CommandDone();
  }
}

bool CvelaDlg::IsMenuItemChecked(int command_id) { return commands_ && commands_->IsMenuItemChecked(command_id); }

void CvelaDlg::OnFilesDropped(const std::vector<std::wstring>& paths) {
  if (ended_ || !commands_) return;
  commands_->OnFilesDropped(paths);
  CommandDone();
}

void CvelaDlg::CallPageFunction(const std::wstring& name) { window_.CallPageFunction(name); }

}  // namespace cw
