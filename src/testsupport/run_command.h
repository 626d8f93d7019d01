// Runs a command line through the shell for process-level tests of our tools,
// capturing its standard output and exit status.
#pragma once

#include <string>

namespace cw::testing {

struct CommandOutput {
  std::string out;  // standard output, whole
  int status = -1;  // exit status, -1 when it did not exit normally
};

// Runs `command` with /bin/sh and waits for it. Standard error is not captured.
CommandOutput RunCommand(const std::string& command);

// Quotes one argument for the shell: 'text' with every ' written as '\''.
std::string ShellQuote(const std::string& arg);

// The quoted path of a program in the build folder (the program folder).
std::string BuildTool(const std::string& name);

// Waits up to `limit_ms` until no running process has `text` in its command
// line (tests use their temporary folder's path: nothing they started may
// survive). Returns false if one is still there at the end.
bool NoProcessMentions(const std::string& text, int limit_ms = 3000);

}  // namespace cw::testing
