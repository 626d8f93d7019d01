// The application object: runs the main dialog for as long as the program
// runs. UI thread only.
#pragma once

#include "bridge/host_engine.h"
#include "platform/window.h"

namespace cw {

class CvelaApp {
 public:
  // Initialises the dialog on `window`, runs it modally and returns the
  // process exit status (0) once it has ended, whatever its result.
  static int Run(Window& window, HostEngine& engine);
};

}  // namespace cw
