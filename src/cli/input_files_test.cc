// Expanding files and folders of the command line.
#include "cli/input_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "settings/config_object.h"
#include "testsupport/temp_dir.h"

namespace cw::cli {
namespace {

std::vector<std::wstring> PathsOf(const InputFiles& got) {
  std::vector<std::wstring> paths;
  for (const auto& task : got.tasks) paths.push_back(task->fromPath);
  return paths;
}

TEST(InputFilesTest, FoldersAddTheirVisibleFilesSortedFilesStayInOrder) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("in/sub"));
  dir.Write("in/b.avi", "x");
  dir.Write("in/a.mkv", "x");
  dir.Write("in/.hidden.avi", "x");
  dir.Write("in/sub/deep.avi", "x");
  dir.Write("single.mov", "x");
  ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
  settings.targetDevice = L"7";
  settings.outputQuality = L"High";
  InputFiles got = ExpandInputs({dir.File("single.mov"), dir.File("in") + "/", dir.File("nope.avi"),
                                 dir.File("single.mov")},
                                settings);
  std::wstring root = SystemToWide(dir.path());
  EXPECT_EQ(PathsOf(got), (std::vector<std::wstring>{root + L"/single.mov", root + L"/in/a.mkv", root + L"/in/b.avi",
                                                     root + L"/single.mov"}));
  ASSERT_EQ(got.tasks.size(), 4u);
  EXPECT_EQ(got.tasks[1]->fileName, L"a.mkv");
  EXPECT_EQ(got.tasks[1]->targetDevice, L"7");
  EXPECT_EQ(got.tasks[1]->outputQuality, L"High");
  EXPECT_EQ(got.tasks[1]->iStatus, kTaskWaiting);
  EXPECT_NE(got.tasks[0]->guid, got.tasks[3]->guid);  // the same file twice: two tasks
  EXPECT_EQ(got.missing, (std::vector<std::wstring>{root + L"/nope.avi"}));
}

TEST(InputFilesTest, RelativePathsBecomeAbsolute) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("work"));
  dir.Write("clip.avi", "x");
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.File("work"));
  ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
  InputFiles got = ExpandInputs({"../clip.avi", "./../work/../clip.avi"}, settings);
  std::filesystem::current_path(before);
  // The temporary folder may sit behind a symbolic link; compare what the system resolves.
  std::wstring expected = SystemToWide(std::filesystem::canonical(dir.File("clip.avi")).string());
  ASSERT_EQ(got.tasks.size(), 2u);
  for (const auto& f : PathsOf(got)) {
    EXPECT_EQ(SystemToWide(std::filesystem::canonical(WideToSystem(f)).string()), expected);
    EXPECT_EQ(f.find(L".."), std::wstring::npos);
    EXPECT_EQ(f[0], L'/');
  }
}

}  // namespace
}  // namespace cw::cli
