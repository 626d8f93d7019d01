// The command line of clipwright-cli: accepted forms and refusals.
#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace cw::cli {
namespace {

TEST(CliOptionsTest, AcceptedForms) {
  ParsedCommandLine p = ParseCommandLine({"--device", "3", "--quality=High", "--output", "/out", "--jobs=4", "a.avi",
                                          "dir", "--", "--odd-name.avi", "-"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.device, "3");
  EXPECT_EQ(p.options.quality, "High");
  EXPECT_EQ(p.options.output, "/out");
  EXPECT_EQ(p.options.jobs, 4);
  EXPECT_EQ(p.options.inputs, (std::vector<std::string>{"a.avi", "dir", "--odd-name.avi", "-"}));
  EXPECT_FALSE(p.options.list_devices);

  p = ParseCommandLine({"--list-devices"});
  EXPECT_EQ(p.error, "");
  EXPECT_TRUE(p.options.list_devices);

  // Help wins over everything, even over arguments that are otherwise refused.
  p = ParseCommandLine({"--list-devices", "x.avi", "-h"});
  EXPECT_EQ(p.error, "");
  EXPECT_TRUE(p.options.help);

  p = ParseCommandLine({"--cpu-times", "--jobs", "64", "a"});
  EXPECT_EQ(p.error, "");
  EXPECT_TRUE(p.options.cpu_times);
  EXPECT_EQ(p.options.jobs, 64);
}

TEST(CliOptionsTest, Refusals) {
  struct Case {
    std::vector<std::string> args;
    const char* error_part;
  };
  const Case cases[] = {
      {{}, "no file or folder"},
      {{"--device", "1"}, "no file or folder"},
      {{"--frobnicate", "a"}, "unknown option '--frobnicate'"},
      {{"-x", "a"}, "unknown option '-x'"},
      {{"a", "--device"}, "--device needs a value"},
      {{"--quality=", "a"}, "--quality needs a value"},
      {{"--jobs", "0", "a"}, "--jobs needs a whole number from 1 to 64, not '0'"},
      {{"--jobs", "65", "a"}, "not '65'"},
      {{"--jobs", "2x", "a"}, "not '2x'"},
      {{"--jobs", "-1", "a"}, "not '-1'"},
      {{"--jobs", "", "a"}, "--jobs needs a value"},
      {{"--list-devices", "a.avi"}, "--list-devices takes no files"},
      {{"--list-devices=yes"}, "--list-devices takes no value"},
      {{"--help=1"}, "--help takes no value"},
  };
  for (const auto& c : cases) {
    ParsedCommandLine p = ParseCommandLine(c.args);
    EXPECT_NE(p.error.find(c.error_part), std::string::npos)
        << "args[0]=" << (c.args.empty() ? "" : c.args[0]) << " error=" << p.error;
  }
}

TEST(CliOptionsTest, HelpNamesEveryOptionAndExitStatus) {
  std::string help = HelpText();
  for (const char* part : {"--device ID", "--quality ID", "--output DIR", "--jobs N", "--list-devices", "--help",
                           "--cpu-times", "Ctrl-C", "  0 ", "  1 ", "  2 ", "  130 "}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace cw::cli
