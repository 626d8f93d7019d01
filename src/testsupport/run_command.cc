// Shell command runner for process-level tests.
#include "testsupport/run_command.h"

#include <stdio.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

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

namespace cw::testing {

bool NoProcessMentions(const std::string& text, int limit_ms) {
  constexpr int kPauseMs = 10;
  for (int waited = 0;; waited += kPauseMs) {
    bool found = false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
      std::ifstream in(entry.path() / "cmdline", std::ios::binary);
      std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (cmdline.find(text) != std::string::npos) {
        found = true;
        break;
      }
    }
    if (!found) return true;
    if (waited >= limit_ms) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMs));
  }
}

}  // namespace cw::testing
