// Runs `cwdiag log`, `cwdiag remaining` and `cwdiag size` as processes and
// checks their whole output and exit status.
#include <gtest/gtest.h>


#include <string>

#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace {

using CwdiagRun = cw::testing::CommandOutput;

// Runs cwdiag with `args` (already shell-quoted) and captures standard output.
CwdiagRun Cwdiag(const std::string& args) {
  return cw::testing::RunCommand(cw::testing::BuildTool("cwdiag") + " " + args + " 2>/dev/null");
}

TEST(CwdiagAnalysis, SizeTexts) {
  struct Case {
    const char* args;
    const char* out;
  };
  const Case cases[] = {
      {"-1", "...\n"},
      {"0", "...\n"},
      {"512", "< 1 M\n"},
      {"1536", "\xE2\x89\x88 1 M\n"},  // U+2248 in UTF-8
      {"1048576", "\xE2\x89\x88 1 G\n"},
      {"1572864", "\xE2\x89\x88 1 G 512 M\n"},
      {"2097152", "\xE2\x89\x88 2 G 0 M\n"},
      {"13882.5", "\xE2\x89\x88 13 M\n"},
  };
  for (const Case& c : cases) {
    CwdiagRun run = Cwdiag(std::string("size ") + c.args);
    EXPECT_EQ(run.status, 0) << c.args;
    EXPECT_EQ(run.out, c.out) << c.args;
  }
}

TEST(CwdiagAnalysis, RemainingTexts) {
  struct Case {
    const char* args;
    const char* out;
  };
  const Case cases[] = {
      {"600 1000 3000", "20 minutes\n"},
      {"600 0 3000", "...\n"},
      {"600 500 -1", "...\n"},
      {"60 1 2", "< 2 minutes\n"},
      {"3600 1 2", "1 hour 1 minute\n"},
      {"9000 10 20", "2 hours 30 minutes\n"},
      {"-50 10 20", "< 1 minute\n"},  // an interval ending before its start counts nothing
  };
  for (const Case& c : cases) {
    CwdiagRun run = Cwdiag(std::string("remaining ") + c.args);
    EXPECT_EQ(run.status, 0) << c.args;
    EXPECT_EQ(run.out, c.out) << c.args;
  }
}

TEST(CwdiagAnalysis, BadArgumentsAreUsageErrors) {
  for (const char* args : {"size", "size abc", "size 1,5", "size 1 2", "remaining 1 2", "remaining 1 2 x",
                           "remaining 1 2 99999999999", "log"}) {
    CwdiagRun run = Cwdiag(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
  }
}

TEST(CwdiagAnalysis, LogFigures) {
  cw::testing::TempDir dir;
  dir.Write("run.log",
            "Input #0, avi, from 'clip \xC3\xA9.avi':\n"
            "  Duration: 00:01:30.50, start: 0.000000, bitrate: 754 kb/s\n"
            "  Stream #0:0: Video: mpeg4, yuv420p, 320x240, 29.97 fps, 29.97 tbr, 30k tbn\n"
            "frame=  100 fps= 25 q=28.0 size=     256kB time=00:00:04.00 bitrate= 524.3kbits/s speed=1x    \r"
            "frame=  150 fps= 25 q=28.0 size=    1000kB time=00:00:06.00 bitrate=1365.3kbits/s speed=1x    \r");
  CwdiagRun run = Cwdiag("log '" + dir.File("run.log") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "duration_text=\"00:01:30.50\" duration_ms=90500 frame_rate=29 total_frames=2610.0 "
            "current_frame=150.0 bitrate=1365.0 size_kb=15356.2\n");

  dir.Write("empty.log", "");
  run = Cwdiag("log '" + dir.File("empty.log") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "duration_text=\"\" duration_ms=-1 frame_rate=-1 total_frames=-1.0 current_frame=-1.0 "
            "bitrate=-1.0 size_kb=-1.0\n");

  run = Cwdiag("log '" + dir.File("missing.log") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
}

TEST(CwdiagAnalysis, LogOfTheOlderEncoderFixture) {
  CwdiagRun run = Cwdiag(std::string("log '") + CW_SOURCE_DIR + "/src/analysis/testdata/older_encoder_tbc.txt'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "duration_text=\"00:00:10.01\" duration_ms=10010 frame_rate=29 total_frames=290.0 "
            "current_frame=300.0 bitrate=771.0 size_kb=963.8\n");
}

}  // namespace
