// The terminal the program writes to, for the command-line program's live
// display: whether standard output is a terminal and how large it is.
#pragma once

namespace cw {

// True when standard output is a terminal (not a file or a pipe). Any thread.
bool StandardOutputIsTerminal();

// The size of the terminal behind standard output, in character cells; 0 in
// a field that is unknown (not a terminal, or it does not say). Cheap: asked
// anew on each call, so a resized window is noticed. Any thread.
struct TerminalSize {
  int columns = 0;
  int rows = 0;
};
TerminalSize StandardOutputSize();

}  // namespace cw
