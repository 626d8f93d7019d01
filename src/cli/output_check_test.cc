// Deciding whether an output is complete: ffprobe's answers read, and real
// files checked with the real ffprobe.
#include "cli/output_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw::cli {
namespace {

TEST(OutputCheckTest, ReadsProbeAnswers) {
  struct Case {
    const char* text;
    bool complete;
  };
  const Case cases[] = {
      {"codec_type=video\nduration=1.000000\n", true},
      {"duration=2.5\r\ncodec_type=video\r\n", true},
      {"codec_type=audio\nduration=1.0\n", false},
      {"codec_type=video\nduration=N/A\n", false},
      {"codec_type=video\nduration=0.000000\n", false},
      {"codec_type=video\n", false},
      {"", false},
      {"codec_type=videos\nduration=1\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadProbeOutput(c.text).complete, c.complete) << c.text;
}

TEST(OutputCheckTest, RealFilesWithTheRealProbe) {
  testing::TempDir dir;
  std::string video = dir.File("v.mp4");
  ChildProcess::StartError error;
  auto made = ChildProcess::Start({L"/usr/bin/ffmpeg", L"-nostdin", L"-v", L"error", L"-f", L"lavfi", L"-i",
                                   L"testsrc=duration=1:size=64x48:rate=10", SystemToWide(video)},
                                  &error);
  ASSERT_TRUE(made) << error.reason;
  std::string chunk;
  while (made->ReadOutput(&chunk)) {
  }
  ASSERT_TRUE(made->Reap().SucceededNormally());
  std::wstring probe = L"/usr/bin/ffprobe";
  EXPECT_TRUE(CheckCompleteOutput(SystemToWide(video), probe).complete);

  // The same file cut in half has no index: not complete.
  std::string bytes = dir.Read("v.mp4");
  dir.Write("cut.mp4", bytes.substr(0, bytes.size() / 2));
  dir.Write("empty.mp4", "");
  dir.Write("text.mp4", "hello");
  for (const char* name : {"cut.mp4", "empty.mp4", "text.mp4", "missing.mp4"}) {
    OutputCheck check = CheckCompleteOutput(SystemToWide(dir.File(name)), probe);
    EXPECT_FALSE(check.complete) << name;
    EXPECT_FALSE(check.reason.empty()) << name;
  }
  // A probe that does not answer in time is stopped; the file counts as not complete.
  dir.Write("slow.sh", "#!/bin/sh\nsleep 30\n");
  std::filesystem::permissions(dir.File("slow.sh"), std::filesystem::perms::owner_all);
  OutputCheck slow = CheckCompleteOutput(SystemToWide(video), SystemToWide(dir.File("slow.sh")), 200);
  EXPECT_FALSE(slow.complete);
  EXPECT_EQ(slow.reason, L"ffprobe did not answer in time");
}

}  // namespace
}  // namespace cw::cli
