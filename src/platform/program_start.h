// What every program of Clipwright does first: take its arguments as the
// core's system text and make the standard streams ready for it.
#pragma once

#include <string>
#include <vector>

namespace cw {

// The command-line arguments after the program's name, as system text
// (UTF-8 with escaped bytes, see text.h). On Linux that is argv unchanged. On
// Windows the arguments are read from the wide command line (argv holds them
// in the ANSI code page, which loses every character outside it), standard
// input and output carry bytes unchanged (no CR LF translation), the
// console shows UTF-8, and a crash ends the program without a dialog box.
// Call once, at the start of main, before other threads start.
std::vector<std::string> StartProgram(int argc, char** argv);

}  // namespace cw
