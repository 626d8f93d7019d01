// Expanding files and folders of the command line.
#include "cli/input_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw::cli {
namespace {

TEST(InputFilesTest, FoldersAddTheirVisibleFilesSortedFilesStayInOrder) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("in/sub"));
  dir.Write("in/b.avi", "x");
  dir.Write("in/a.mkv", "x");
  dir.Write("in/.hidden.avi", "x");
  dir.Write("in/sub/deep.avi", "x");
  dir.Write("single.mov", "x");
  InputFiles got = ExpandInputs({dir.File("single.mov"), dir.File("in") + "/", dir.File("nope.avi"),
                                 dir.File("single.mov")});
  std::wstring root = SystemToWide(dir.path());
  EXPECT_EQ(got.files, (std::vector<std::wstring>{root + L"/single.mov", root + L"/in/a.mkv", root + L"/in/b.avi",
                                                  root + L"/single.mov"}));
  EXPECT_EQ(got.missing, (std::vector<std::wstring>{root + L"/nope.avi"}));
}

TEST(InputFilesTest, RelativePathsBecomeAbsolute) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("work"));
  dir.Write("clip.avi", "x");
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.File("work"));
  InputFiles got = ExpandInputs({"../clip.avi", "./../work/../clip.avi"});
  std::filesystem::current_path(before);
  // The temporary folder may sit behind a symbolic link; compare what the system resolves.
  std::wstring expected = SystemToWide(std::filesystem::canonical(dir.File("clip.avi")).string());
  ASSERT_EQ(got.files.size(), 2u);
  for (const auto& f : got.files) {
    EXPECT_EQ(SystemToWide(std::filesystem::canonical(WideToSystem(f)).string()), expected);
    EXPECT_EQ(f.find(L".."), std::wstring::npos);
    EXPECT_EQ(f[0], L'/');
  }
}

}  // namespace
}  // namespace cw::cli
