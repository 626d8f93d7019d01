// clipwright-cli: converts video files from the command line with the same
// engine, catalog and settings as the desktop program.
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "platform/program_start.h"
#include "platform/translate.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = cw::StartProgram(argc, argv);
  cw::UseUserLanguage();  // --help and the display in the user's language; --events stays as it is
  return cw::cli::RunCli(args);
}
