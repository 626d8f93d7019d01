// cwdiag: a developer tool that runs the engines from the command line, for
// tests and debugging.
#include <cstdio>
#include <cstring>

#include "platform/program_start.h"
#include "tools/cwdiag.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const cw::diag::Args&);
  const char* usage;
};

const Subcommand kSubcommands[] = {
    {"json", cw::diag::RunJson, "json                     parse UTF-8 JSON from stdin, print the tree"},
    {"catalog", cw::diag::RunCatalog, "catalog [PATH]           print the decoded catalog text of data.dat"},
    {"devices", cw::diag::RunDevices, "devices [PATH]           print the devices and qualities of data.dat"},
    {"regex", cw::diag::RunRegex,
     "regex PATTERN TEXT [START] | --pattern-file F --text-file F [START]\n"
     "                           search TEXT, print the group spans"},
    {"log", cw::diag::RunLog, "log FILE                 print the figures parsed from an encoder log"},
    {"remaining", cw::diag::RunRemaining, "remaining SECONDS CURRENT TOTAL   print the remaining-time text"},
    {"size", cw::diag::RunSize, "size KB                  print the expected-size text"},
    {"settings", cw::diag::RunSettings, "settings --dir DIR [--set TEXT]   load (and change) settings, print them"},
    {"queue", cw::diag::RunQueue,
     "queue [--dir DIR] [--tick MS] FILE...   convert files with the real engine, no window"},
    {"command", cw::diag::RunCommandLine,
     "command [--dir DIR] DEVICE QUALITY IN OUT   print the encoder arguments of a run, one a line"},
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "usage: cwdiag SUBCOMMAND [ARGS...]\n\nSubcommands:\n");
  for (const auto& s : kSubcommands) std::fprintf(out, "  %s\n", s.usage);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = cw::StartProgram(argc, argv);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintHelp(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  for (const auto& s : kSubcommands) {
    if (args[0] == s.name) return s.run(cw::diag::Args(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "cwdiag: unknown subcommand '%s'\n", args[0].c_str());
  PrintHelp(stderr);
  return 2;
}
