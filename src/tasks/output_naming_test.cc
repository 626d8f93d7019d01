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

// Base names too long for the file system are cut at whole characters so
// that every name a run gives (partial, numbered, final) fits its limit.
TEST(ChooseAndReserveOutputPath, LongBaseNamesAreCutToFitTheFileSystem) {
  testing::TempDir dir;
  const std::wstring out = SystemToWide(dir.path());
  const size_t limit = NameLimitOf(out);
  std::wstring emoji;  // four bytes each in UTF-8, a surrogate pair each in UTF-16
  for (int i = 0; i < 130; ++i) emoji += L"\U0001F600";
  const std::wstring cases[] = {
      std::wstring(80, L'\u5B57'),            // 240 bytes in UTF-8
      std::wstring(300, L'a'),
      L"x" + std::wstring(150, L'\u00E9'),    // two-byte characters at an odd offset
      emoji,
  };
  for (const std::wstring& base : cases) {
    std::unique_ptr<FileReservation> first, second;
    const std::wstring a = ChooseAndReserveOutputPath(out, base, {}, &first);
    const std::wstring b = ChooseAndReserveOutputPath(out, base, {a}, &second);
    ASSERT_FALSE(a.empty()) << WideToSystem(base);
    ASSERT_FALSE(b.empty()) << WideToSystem(base);
    for (const std::wstring& path : {a, b}) {
      const std::wstring name = path.substr(out.size() + 1);
      EXPECT_LE(NameLength(name + kPartialSuffix), limit) << WideToSystem(name);
      EXPECT_TRUE(FileExists(PartialPathOf(path)));
      EXPECT_EQ(base.compare(0, name.find_first_of(L"(.") , name, 0, name.find_first_of(L"(.")), 0);
    }
    EXPECT_EQ(b.substr(b.size() - 7), L"(1).mp4");
    EXPECT_EQ(PublishOutput(PartialPathOf(a), a, base), a);
    EXPECT_TRUE(FileExists(a));
  }
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
