// Tests of running a helper to its end with small /bin/sh programs: what it
// printed, how it ended, the byte cap and the deadline, and that nothing of
// it is left alive.
#include "platform/child_run.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace cw {
namespace {

TEST(RunChild, OutputExitCapAndDeadline) {
  struct Case {
    const char* what;
    const char* script;
    ChildRunLimits limits;
    bool in_time;
    int exit_code;  // -1: killed
    std::string output;
  };
  const Case cases[] = {
      {"output and exit status", "echo out; echo err >&2; exit 3", {5000, 1000, 0}, true, 3, "out\nerr\n"},
      {"output past the cap is dropped", "printf 0123456789", {5000, 4, 0}, true, 0, "0123"},
      {"killed at the deadline", "echo begun; exec sleep 30", {300, 1000, 0}, false, -1, "begun\n"},
      {"output closed early, still killed", "exec >&- 2>&-; sleep 30", {300, 1000, 0}, false, -1, ""},
      {"lowered priority changes nothing else", "exit 0", {5000, 1000, 5}, true, 0, ""},
  };
  for (const Case& c : cases) {
    ChildRunResult result = RunChild({L"/bin/sh", L"-c", SystemToWide(c.script)}, c.limits);
    ASSERT_TRUE(result.started) << c.what;
    EXPECT_EQ(result.in_time, c.in_time) << c.what;
    EXPECT_EQ(result.output, c.output) << c.what;
    if (c.exit_code >= 0) {
      EXPECT_TRUE(result.exit.exited) << c.what;
      EXPECT_EQ(result.exit.exit_code, c.exit_code) << c.what;
    } else {
      EXPECT_EQ(result.exit.signal_number, 9) << c.what;
    }
    EXPECT_EQ(result.Succeeded(), c.in_time && c.exit_code == 0) << c.what;
  }
}

TEST(RunChild, AMissingProgramIsNotStarted) {
  ChildRunResult result = RunChild({L"/nonexistent/program"}, {});
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.start_error.reason.empty());
  EXPECT_FALSE(result.Succeeded());
}

}  // namespace
}  // namespace cw
