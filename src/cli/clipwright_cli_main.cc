// clipwright-cli: converts video files from the command line with the same
// engine, catalog and settings as the desktop program.
#include <string>
#include <vector>

#include "cli/cli_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return cw::cli::RunCli(args);
}
