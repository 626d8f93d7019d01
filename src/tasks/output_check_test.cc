// The output check against real encoder output and damaged copies of it.
#include "tasks/output_check.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

std::string Box(const std::string& type, const std::string& body) {
  uint32_t size = static_cast<uint32_t>(8 + body.size());
  std::string box;
  for (int shift = 24; shift >= 0; shift -= 8) box += static_cast<char>(size >> shift & 0xFF);
  return box + type + body;
}

TEST(OutputCheck, CraftedFilesTable) {
  testing::TempDir dir;
  const std::string ftyp = Box("ftyp", "isom\0\0\2\0" + std::string(4, 'x'));
  const std::string moov = Box("moov", std::string(40, 'm'));
  const std::string mdat = Box("mdat", std::string(100, 'd'));
  const std::string to_end = std::string("\0\0\0\0mdat", 8) + std::string(50, 'd');
  const std::string large = std::string("\0\0\0\1mdat", 8) + std::string("\0\0\0\0\0\0\0\x20", 8) +
                            std::string(16, 'd');
  const struct {
    const char* name;
    std::string bytes;
    const wchar_t* problem;
  } cases[] = {
      {"whole", ftyp + moov + mdat, L""},
      {"index at the end", ftyp + mdat + moov, L""},
      {"media to the end", ftyp + moov + to_end, L""},
      {"64-bit size", ftyp + moov + large, L""},
      {"empty", "", kOutputUnreadableReason},
      {"cut short", (ftyp + moov + mdat).substr(0, 100), kOutputUnreadableReason},
      {"no index", ftyp + mdat, kOutputUnreadableReason},
      {"no media", ftyp + moov, kOutputUnreadableReason},
      {"no ftyp first", moov + ftyp + mdat, kOutputUnreadableReason},
      {"text", "arg: -i\narg: clip.avi\ncomplete\n", kOutputUnreadableReason},
      {"trailing bytes", ftyp + moov + mdat + "xyz", kOutputUnreadableReason},
      {"zero-size header", ftyp + std::string("\0\0\0\4moov", 8), kOutputUnreadableReason},
  };
  for (const auto& c : cases) {
    dir.Write(c.name, c.bytes);
    EXPECT_EQ(OutputProblem(SystemToWide(dir.File(c.name))), c.problem) << c.name;
  }
  EXPECT_EQ(OutputProblem(SystemToWide(dir.File("missing.mp4"))), kOutputMissingReason);
  EXPECT_EQ(OutputProblem(dir.wpath()), kOutputMissingReason);  // a folder is no output
}

TEST(OutputCheck, RealEncoderOutputPassesAndItsCutCopyFails) {
  testing::TempDir dir;
  for (const char* flags : {"", "-movflags +faststart"}) {
    std::string out = dir.File("real.mp4");
    std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=25 "
                          "-f lavfi -i sine=duration=1 -c:v libx264 -c:a aac -shortest " +
                          std::string(flags) + " '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(OutputProblem(SystemToWide(out)), L"") << flags;
    std::string bytes = dir.Read("real.mp4");
    dir.Write("cut.mp4", bytes.substr(0, bytes.size() * 2 / 3));
    EXPECT_EQ(OutputProblem(SystemToWide(dir.File("cut.mp4"))), kOutputUnreadableReason) << flags;
  }
}

}  // namespace
}  // namespace cw
