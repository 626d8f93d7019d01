// Tests of output naming and folder creation, in a temporary folder.
#include "tasks/output_naming.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

TEST(ChooseOutputPath, TakesTheFirstFreeNumberedName) {
  testing::TempDir dir;
  std::wstring out = SystemToWide(dir.path());
  EXPECT_EQ(ChooseOutputPath(out, L"clip"), out + L"/clip.mp4");
  dir.Write("clip.mp4", "x");
  dir.Write("clip(1).mp4", "x");
  EXPECT_EQ(ChooseOutputPath(out, L"clip"), out + L"/clip(2).mp4");
  // A folder occupies a name as well as a file does.
  std::filesystem::create_directory(dir.File("clip(2).mp4"));
  EXPECT_EQ(ChooseOutputPath(out, L"clip"), out + L"/clip(3).mp4");
  EXPECT_EQ(ChooseOutputPath(out, L"other"), out + L"/other.mp4");
}

TEST(ChooseOutputPath, AvoidsNamesAlreadyGivenToOtherTasks) {
  testing::TempDir dir;
  std::wstring out = SystemToWide(dir.path());
  dir.Write("clip(1).mp4", "x");
  std::vector<std::wstring> taken = {out + L"/clip.mp4", out + L"/clip(2).mp4", out + L"/unrelated.mp4"};
  EXPECT_EQ(ChooseOutputPath(out, L"clip", taken), out + L"/clip(3).mp4");
  // Nothing was created on disk for the reserved names.
  EXPECT_FALSE(FileExists(out + L"/clip.mp4"));
}

TEST(ChooseOutputPath, CreatesAMissingOutputFolderWithItsParents) {
  testing::TempDir dir;
  std::wstring out = SystemToWide(dir.File("out/new/deep"));
  EXPECT_EQ(ChooseOutputPath(out, L"clip"), out + L"/clip.mp4");
  EXPECT_TRUE(IsDirectory(out));
}

}  // namespace
}  // namespace cw
