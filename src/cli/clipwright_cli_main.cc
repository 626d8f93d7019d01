// clipwright-cli: converts video files from the command line with the same
// engine, catalog and settings as the desktop program.
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "platform/program_start.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = cw::StartProgram(argc, argv);
  return cw::cli::RunCli(args);
}
