// A menu bar as data: popups, item texts (an '&' marks the mnemonic),
// command ids and which item carries a check mark. The window builds its
// menu bar from such a table (MainWindowOptions::menu) and reports the
// chosen item's id. Plain data, any thread.
#pragma once

#include <string>
#include <vector>

namespace cw {

struct MenuItemEntry {
  const wchar_t* text;  // null for a separator
  int command;          // 0 for a separator
  bool check_item;      // carries a check mark that the host decides
};

struct MenuPopupEntry {
  const wchar_t* text;
  std::vector<MenuItemEntry> items;
};

// The label for a toolkit that marks mnemonics with '_': "&File" -> "_File";
// a literal '_' is doubled and "&&" gives one '&'.
std::wstring MnemonicLabel(const std::wstring& text);

}  // namespace cw
