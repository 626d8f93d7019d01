// Runs `cwdiag regex` as a process and checks its whole output and exit status.
#include <gtest/gtest.h>


#include <string>
#include <vector>

#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace {

using CwdiagRun = cw::testing::CommandOutput;
using cw::testing::ShellQuote;

CwdiagRun CwdiagRegex(const std::vector<std::string>& args) {
  std::string command = cw::testing::BuildTool("cwdiag") + " regex";
  for (const auto& a : args) command += " " + ShellQuote(a);
  return cw::testing::RunCommand(command + " 2>/dev/null");
}

TEST(CwdiagRegex, PrintsEveryGroupSpanOrNotFound) {
  const struct {
    std::vector<std::string> args;
    const char* out;
  } cases[] = {
      {{"frame=([\\d ]{1,20})fps=", "xx frame=  12 fps= 3"}, "found H=1\n0 3 18\n1 9 14\n"},
      {{"frame=([\\d ]{1,20})fps=", "xx frame=  12 fps= 3", "4"}, "not found\n"},
      {{"(a)|b", "b"}, "found H=1\n0 0 1\n1 -1 -1\n"},
      {{"(a|ab)(c)", "xabc"}, "found H=2\n0 1 4\n1 1 3\n2 3 4\n"},
      {{"a", "aXa", "1"}, "found H=0\n0 2 3\n"},
      {{"a", "aXa", "-7"}, "found H=0\n0 0 1\n"},
      {{"z*", "abc", "3"}, "found H=0\n0 3 3\n"},
      {{"x", "abc"}, "not found\n"},
      {{"", ""}, "found H=0\n0 0 0\n"},
      // UTF-8 arguments; positions count code units, not bytes.
      {{"\xC3\xA9+(b)", "x\xC3\xA9\xC3\xA9" "b"}, "found H=1\n0 1 4\n1 3 4\n"},
  };
  for (const auto& c : cases) {
    CwdiagRun run = CwdiagRegex(c.args);
    EXPECT_EQ(run.status, 0) << c.args[0];
    EXPECT_EQ(run.out, c.out) << c.args[0];
  }
}

TEST(CwdiagRegex, ReadsPatternAndTextFilesWholeAndKeepsArgumentOrder) {
  cw::testing::TempDir dir;
  dir.Write("p", "b\n(c)");  // a line feed inside the pattern, kept as is
  dir.Write("t", "ab\nc b\n(c)\n");
  dir.Write("lf", "c\n");    // the final line feed is part of the pattern
  dir.Write("t2", "xc\n");
  const std::string p = dir.File("p"), t = dir.File("t"), lf = dir.File("lf"), t2 = dir.File("t2");
  const struct {
    std::vector<std::string> args;
    const char* out;
  } cases[] = {
      {{"--pattern-file", p, "--text-file", t}, "found H=1\n0 1 4\n1 3 4\n"},
      {{"--pattern-file", p, "--text-file", t, "2"}, "not found\n"},
      {{"--text-file", t, "--pattern-file", p, "0"}, "found H=1\n0 1 4\n1 3 4\n"},
      {{"--pattern-file", p, "ab\n(c)"}, "not found\n"},
      {{"--pattern-file", p, "ab\nc"}, "found H=1\n0 1 4\n1 3 4\n"},
      {{"--text-file", t, "\\(c\\)", "5"}, "found H=0\n0 7 10\n"},
      {{"--text-file", t, "b", "3"}, "found H=0\n0 5 6\n"},
      {{"--pattern-file", lf, "abc"}, "not found\n"},
      {{"--pattern-file", lf, "--text-file", t}, "not found\n"},
      {{"--pattern-file", lf, "--text-file", t2}, "found H=0\n0 1 3\n"},
  };
  for (const auto& c : cases) {
    CwdiagRun run = CwdiagRegex(c.args);
    EXPECT_EQ(run.status, 0) << c.args.back();
    EXPECT_EQ(run.out, c.out) << c.args.back();
  }
}

TEST(CwdiagRegex, RejectsBadArgumentsWithStatusTwo) {
  cw::testing::TempDir dir;
  const std::vector<std::string> bad[] = {
      {},
      {"a"},
      {"a", "b", "x"},
      {"a", "b", "1", "2"},
      {"a", "b", "1x"},
      {"a", "b", ""},
      {"--pattern-file"},
      {"--pattern-file", dir.File("missing"), "text"},
      {"a", "--text-file", dir.File("missing")},
  };
  for (const auto& args : bad) {
    CwdiagRun run = CwdiagRegex(args);
    EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args.back());
    EXPECT_EQ(run.out, "") << (args.empty() ? "" : args.back());
  }
}

}  // namespace
