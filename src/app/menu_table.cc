// The main window's menu bar table.
#include "app/menu_table.h"

namespace cw {

const std::vector<MenuPopupEntry>& MainMenuTable() {
  static const std::vector<MenuPopupEntry> table = {
      {L"&File",
       {{L"Add &File(s)...", kCmdAddFiles, false},
        {L"Add &Directory...", kCmdAddDirectory, false},
        {nullptr, 0, false},
        {L"&Exit", kCmdExit, false}}},
      {L"&Operation",
       {{L"&Start Task", kCmdStartTask, false},
        {L"&Pause Task", kCmdPauseTask, false},
        {L"&Delete Task", kCmdDeleteTask, false},
        {nullptr, 0, false},
        {L"&Open Output Directory", kCmdOpenOutputDir, false}}},
      {L"&Configuration",
       {{L"&Options...", kCmdOptions, false},
        {nullptr, 0, false},
        {L"&Shutdown computer on completed", kCmdShutdownWhenDone, true}}},
      {L"&Help",
       {{L"&Online Help", kCmdOnlineHelp, false}, {nullptr, 0, false}, {L"&About...", kCmdAbout, false}}},
  };
  return table;
}

}  // namespace cw
