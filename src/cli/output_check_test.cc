// Deciding whether an output is complete for --skip-existing, with real files
// made by the real encoder and the source probed by the real ffprobe.
#include "cli/output_check.h"

#include <gtest/gtest.h>

#include "platform/child_run.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw::cli {
namespace {

void MakeVideo(const std::string& path, const char* seconds) {
  ChildRunResult made =
      RunChild({L"/usr/bin/ffmpeg", L"-nostdin", L"-v", L"error", L"-f", L"lavfi", L"-i",
                L"testsrc=size=64x48:rate=10", L"-t", SystemToWide(seconds), SystemToWide(path)},
               {60000, 1u << 16, 0});
  ASSERT_TRUE(made.Succeeded()) << made.output;
}

TEST(OutputCheckTest, CompleteMeansWholeAndAsLongAsTheSource) {
  testing::TempDir dir;
  MakeVideo(dir.File("source.mkv"), "3");
  MakeVideo(dir.File("whole.mp4"), "3");
  MakeVideo(dir.File("short.mp4"), "1");
  const std::string bytes = dir.Read("whole.mp4");
  dir.Write("cut.mp4", bytes.substr(0, bytes.size() / 2));
  dir.Write("empty.mp4", "");
  dir.Write("text.mp4", "hello");
  const std::wstring source = SystemToWide(dir.File("source.mkv"));
  const std::wstring probe = L"/usr/bin/ffprobe";
  EXPECT_TRUE(CheckCompleteOutput(SystemToWide(dir.File("whole.mp4")), source, probe).complete);
  for (const char* name : {"short.mp4", "cut.mp4", "empty.mp4", "text.mp4", "missing.mp4"}) {
    OutputCheck check = CheckCompleteOutput(SystemToWide(dir.File(name)), source, probe);
    EXPECT_FALSE(check.complete) << name;
    EXPECT_FALSE(check.reason.empty()) << name;
  }
  // A source that cannot be probed leaves only the whole-file check.
  EXPECT_TRUE(CheckCompleteOutput(SystemToWide(dir.File("short.mp4")), source, L"/nonexistent/ffprobe").complete);
}

}  // namespace
}  // namespace cw::cli
