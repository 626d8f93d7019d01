// The main window's menu bar table. Its texts are marked for the catalogue
// and translated where the window builds the menu bar.
#include "app/menu_table.h"

#include "platform/translate.h"

namespace cw {

const std::vector<MenuPopupEntry>& MainMenuTable() {
  static const std::vector<MenuPopupEntry> table = {
      {N_(L"&File"),
       {{N_(L"Add &File(s)..."), kCmdAddFiles, false},
        {N_(L"Add &Directory..."), kCmdAddDirectory, false},
        {nullptr, 0, false},
        {N_(L"&Exit"), kCmdExit, false}}},
      {N_(L"&Operation"),
       {{N_(L"&Start Task"), kCmdStartTask, false},
        {N_(L"&Pause Task"), kCmdPauseTask, false},
        {N_(L"&Delete Task"), kCmdDeleteTask, false},
        {nullptr, 0, false},
        {N_(L"&Open Output Directory"), kCmdOpenOutputDir, false}}},
      {N_(L"&Configuration"),
       {{N_(L"&Options..."), kCmdOptions, false},
        {nullptr, 0, false},
        {N_(L"&Shutdown computer on completed"), kCmdShutdownWhenDone, true}}},
      {N_(L"&Help"),
       {{N_(L"&Online Help"), kCmdOnlineHelp, false}, {nullptr, 0, false}, {N_(L"&About..."), kCmdAbout, false}}},
  };
  return table;
}

}  // namespace cw
