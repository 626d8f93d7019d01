// clipwright-cli's whole run: parse the command line, load the catalog and
// settings, queue the files, drive the engine without a window while showing
// progress, and report. Everything here runs on the main thread except the
// engine's own workers.
#pragma once

#include <string>
#include <vector>

namespace cw::cli {

// Runs the program with the arguments after its name and returns the exit
// status (see cli_options.h; 128 + the signal's number after a stop request).
// Once per process, from main.
int RunCli(const std::vector<std::string>& args);

}  // namespace cw::cli
