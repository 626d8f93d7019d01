// Program start on Windows: the arguments from the wide command line, binary
// standard streams, UTF-8 console output, no error dialogs.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/program_start.h"
#include "platform/text.h"

namespace cw {

std::vector<std::string> StartProgram(int argc, char** argv) {
  // Inherited by the encoders too: a crashing encoder must fail its task,
  // not wait for someone to close a dialog box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);

  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide) {
    for (int i = 1; i < count; ++i) args.push_back(WideToSystem(wide[i]));
    LocalFree(wide);
    return args;
  }
  for (int i = 1; i < argc; ++i) args.push_back(WideToSystem(CodePageToWide(argv[i])));
  return args;
}

}  // namespace cw
