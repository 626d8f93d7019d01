// Runs `cwdiag json` as a process on prepared inputs and checks its whole
// output and exit status.
#include <gtest/gtest.h>


#include <string>

#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace {

using CwdiagRun = cw::testing::CommandOutput;

// Runs `cwdiag json EXTRA` with `input` on standard input.
CwdiagRun CwdiagJson(const std::string& input, const std::string& extra = "") {
  cw::testing::TempDir dir;
  dir.Write("input.json", input);
  const std::string command =
      std::string("'") + CW_BUILD_DIR + "/cwdiag' json " + extra + " < '" + dir.File("input.json") + "' 2>/dev/null";
  return cw::testing::RunCommand(command);
}

TEST(CwdiagJson, PrintsEveryNodeDepthFirst) {
  const struct {
    const char* input;
    const char* out;
  } cases[] = {
      {"// settings\n{\"a\":[1,\"x\",true,null],\"b\":{\"c\":-1.9},\"q\\\"\":\"\\\\\", \"e\":}",
       "object name=\"\" string=\"\" int=0 count=4\n"
       "  array name=\"a\" string=\"\" int=0 count=4\n"
       "    number name=\"\" string=\"1\" int=1 count=0\n"
       "    string name=\"\" string=\"x\" int=0 count=0\n"
       "    boolean name=\"\" string=\"true\" int=1 count=0\n"
       "    null name=\"\" string=\"null\" int=0 count=0\n"
       "  object name=\"b\" string=\"\" int=0 count=1\n"
       "    number name=\"c\" string=\"-1.9\" int=-1 count=0\n"
       "  string name=\"q\\\"\" string=\"\\\\\" int=0 count=0\n"
       "  null name=\"e\" string=\"\" int=0 count=0\n"},
      {"[]", "array name=\"\" string=\"\" int=0 count=0\n"},
      // The type is read after the string: a container whose split fails prints as null.
      {"{\"a\":[1:2],\"n\":\"12abc\"}",
       "object name=\"\" string=\"\" int=0 count=2\n"
       "  null name=\"a\" string=\"\" int=0 count=0\n"
       "  string name=\"n\" string=\"12abc\" int=12 count=0\n"},
      {"{\"a\":1,}", "null name=\"\" string=\"\" int=0 count=0\n"},
      // Characters outside 0x20-0x7E as UTF-16 units; bad UTF-8 as U+FFFD.
      {"[\"\xC3\xA9\xF0\x9F\x98\x80\", \"\\uD83D\\uDE00\", \"a\tb\", \"\xFF\"]",
       "array name=\"\" string=\"\" int=0 count=4\n"
       "  string name=\"\" string=\"\\u00e9\\ud83d\\ude00\" int=0 count=0\n"
       "  string name=\"\" string=\"\\ud83d\\ude00\" int=0 count=0\n"
       "  string name=\"\" string=\"a\\u0009b\" int=0 count=0\n"
       "  string name=\"\" string=\"\\ufffd\" int=0 count=0\n"},
      {"[1e300, 017, 0x1F]",
       "array name=\"\" string=\"\" int=0 count=3\n"
       "  number name=\"\" string=\"1e300\" int=9223372036854775807 count=0\n"
       "  number name=\"\" string=\"017\" int=17 count=0\n"
       "  number name=\"\" string=\"0x1F\" int=0 count=0\n"},
  };
  for (const auto& c : cases) {
    CwdiagRun run = CwdiagJson(c.input);
    EXPECT_EQ(run.status, 0) << c.input;
    EXPECT_EQ(run.out, c.out) << c.input;
  }
}

TEST(CwdiagJson, ParseFailurePrintsInvalidArgument) {
  for (const char* input : {"", "42", "\"abc\"", "{\"a\":1} /* note */", "\xEF\xBB\xBF{}", "[1}"}) {
    CwdiagRun run = CwdiagJson(input);
    EXPECT_EQ(run.status, 1) << input;
    EXPECT_EQ(run.out, "invalid_argument\n") << input;
  }
}

TEST(CwdiagJson, ExtraArgumentsAreAUsageError) {
  CwdiagRun run = CwdiagJson("[]", "extra");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
}

TEST(CwdiagJson, DeepNestingPrintsEveryLevel) {
  const int depth = 3000;
  CwdiagRun run = CwdiagJson(std::string(depth, '[') + std::string(depth, ']'));
  EXPECT_EQ(run.status, 0);
  size_t lines = 0;
  for (char c : run.out) lines += c == '\n';
  EXPECT_EQ(lines, static_cast<size_t>(depth));
  const std::string last = std::string(2 * (depth - 1), ' ') + "array name=\"\" string=\"\" int=0 count=0\n";
  ASSERT_GE(run.out.size(), last.size());
  EXPECT_EQ(run.out.substr(run.out.size() - last.size()), last);
}

}  // namespace
