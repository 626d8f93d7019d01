// Windows implementation of the terminal queries: standard output is a
// terminal when it is a console.
#include <windows.h>

#include "platform/terminal.h"

namespace cw {

bool StandardOutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

TerminalSize StandardOutputSize() {
  TerminalSize size;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
    size.columns = info.srWindow.Right - info.srWindow.Left + 1;
    size.rows = info.srWindow.Bottom - info.srWindow.Top + 1;
  }
  return size;
}

}  // namespace cw
