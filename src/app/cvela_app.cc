// The application object.
#include "app/cvela_app.h"

#include "app/cvela_dlg.h"

namespace cw {

int CvelaApp::Run(Window& window, HostEngine& engine) {
  CvelaDlg dialog(window, engine);
  window.SetEvents(&dialog);
  dialog.OnInitDialog();
  window.RunModal();
  window.SetEvents(nullptr);
  return 0;
}

}  // namespace cw
