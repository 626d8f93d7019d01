// The main window's menu bar table.
#include "platform/menu_table.h"

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

std::wstring MnemonicLabel(const std::wstring& text) {
  std::wstring label;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        label += L'&';
        ++i;
      } else {
        label += L'_';
      }
    } else if (c == L'_') {
      label += L"__";
    } else {
      label += c;
    }
  }
  return label;
}

}  // namespace cw
