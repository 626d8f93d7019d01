// The application object (CvelaApp: an inherited name, see the
// README's glossary): runs the main dialog for as long as the program runs.
// UI thread only.
#pragma once

#include <functional>

#include "bridge/host_engine.h"
#include "platform/window.h"

namespace cw {

class CvelaDlg;

class CvelaApp {
 public:
  // Initialises the dialog on `window`, runs it modally and returns the
  // process exit status (0) once it has ended, whatever its result.
  // `dialog_lifetime` (optional) is told the dialog once it is initialised
  // and null just before it goes away.
  static int Run(Window& window, HostEngine& engine,
                 const std::function<void(CvelaDlg*)>& dialog_lifetime = nullptr);
};

}  // namespace cw
