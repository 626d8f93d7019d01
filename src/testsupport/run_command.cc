// Shell command runner for process-level tests.
#include "testsupport/run_command.h"

#include <stdio.h>
#include <sys/wait.h>

namespace cw::testing {

CommandOutput RunCommand(const std::string& command) {
  CommandOutput run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string ShellQuote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace cw::testing

namespace cw::testing {

std::string BuildTool(const std::string& name) { return ShellQuote(std::string(CW_BUILD_DIR) + "/" + name); }

}  // namespace cw::testing
