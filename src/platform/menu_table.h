// The main window's menu bar: popups, item texts (an '&' marks the mnemonic),
// command ids and which item carries a check mark. The window builds its menu
// from this table and reports the chosen item's id; the host logic handles
// the ids. Plain data, any thread.
#pragma once

#include <string>
#include <vector>

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

struct MenuItemEntry {
  const wchar_t* text;  // null for a separator
  int command;          // 0 for a separator
  bool check_item;      // carries a check mark that the host decides
};

struct MenuPopupEntry {
  const wchar_t* text;
  std::vector<MenuItemEntry> items;
};

// The menu bar, in order.
const std::vector<MenuPopupEntry>& MainMenuTable();

// The label for a toolkit that marks mnemonics with '_': "&File" -> "_File";
// a literal '_' is doubled and "&&" gives one '&'.
std::wstring MnemonicLabel(const std::wstring& text);

}  // namespace cw
