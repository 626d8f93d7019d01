// The main window's menu bar: its command ids, which the host logic handles,
// and the table the window builds its menu from. Plain data, any thread.
#pragma once

#include <vector>

#include "platform/menu.h"

namespace cw {

enum MenuCommand : int {
  kCmdAddFiles = 32771,
  kCmdAddDirectory = 32772,
  kCmdExit = 32773,
  kCmdStartTask = 32774,
  kCmdPauseTask = 32775,
  kCmdDeleteTask = 32776,
  kCmdOptions = 32777,
  kCmdOnlineHelp = 32778,
  kCmdAbout = 32780,
  kCmdOpenOutputDir = 32782,
  kCmdShutdownWhenDone = 32783,
};

// The menu bar, in order.
const std::vector<MenuPopupEntry>& MainMenuTable();

}  // namespace cw
