// The application object.
#include "app/cvela_app.h"

#include "app/cvela_dlg.h"

namespace cw {

int CvelaApp::Run(Window& window, HostEngine& engine, const std::function<void(CvelaDlg*)>& dialog_lifetime) {
  CvelaDlg dialog(window, engine);
  window.SetEvents(&dialog);
  dialog.OnInitDialog();
  if (dialog_lifetime) dialog_lifetime(&dialog);
  window.RunModal();
  if (dialog_lifetime) dialog_lifetime(nullptr);
  window.SetEvents(nullptr);
  return 0;
}

}  // namespace cw
