// POSIX implementation of the terminal queries.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace cw {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

TerminalSize StandardOutputSize() {
  TerminalSize size;
  struct winsize ws {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0) {
    size.columns = ws.ws_col;
    size.rows = ws.ws_row;
  }
  return size;
}

}  // namespace cw
