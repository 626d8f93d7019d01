// Expanding paths the system cannot convert or cannot look at: pipes, names
// too long for it. POSIX only: Windows has no named pipes in folders.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/input_files.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw::cli {
namespace {

// A pipe blocks whoever opens it for reading until a writer comes: it is
// refused when given, left out (and said) when a folder holds it; a path
// the system cannot look at is refused with the system's reason.
TEST(InputFilesPosixTest, PipesAndPathsTooLongAreRefusedOrLeftOutWithAReason) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("v"));
  dir.Write("v/a.avi", "x");
  ASSERT_EQ(mkfifo(dir.File("v/pipe.avi").c_str(), 0600), 0);
  std::string too_long = dir.path();
  while (too_long.size() <= 4096) too_long += "/" + std::string(200, 'd');
  ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
  for (bool recursive : {false, true}) {
    InputFiles got = ExpandInputs({dir.File("v"), dir.File("v/pipe.avi"), too_long + "/clip.avi"}, settings,
                                  {recursive});
    ASSERT_EQ(got.tasks.size(), 1u);
    EXPECT_EQ(got.tasks[0]->fromPath, SystemToWide(dir.File("v/a.avi")));
    ASSERT_EQ(got.left_out.size(), 1u);
    EXPECT_EQ(got.left_out[0].path, SystemToWide(dir.File("v/pipe.avi")));
    EXPECT_EQ(got.left_out[0].reason, L"it is not a regular file (a pipe, a device or a socket)");
    ASSERT_EQ(got.refused.size(), 2u);
    EXPECT_EQ(got.refused[0].reason, L"it is not a regular file (a pipe, a device or a socket)");
    EXPECT_EQ(got.refused[1].reason, L"File name too long");
    EXPECT_TRUE(got.missing.empty());
  }
}

// A tree deeper than the system's path limit: the folders it cannot list
// are said, never silently passed over.
TEST(InputFilesPosixTest, FoldersThatCannotBeListedAreSaid) {
  testing::TempDir dir;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::create_directories(dir.File("lib"));
  std::filesystem::current_path(dir.File("lib"));
  size_t length = dir.File("lib").size();
  for (; length <= 4096; length += 201) {  // relative steps: each name is short, the whole path is not
    std::filesystem::create_directory(std::string(200, 'd'));
    std::filesystem::current_path(std::string(200, 'd'));
  }
  std::filesystem::current_path(before);
  ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
  InputFiles got = ExpandInputs({dir.File("lib")}, settings, {true});
  EXPECT_TRUE(got.tasks.empty());
  ASSERT_EQ(got.left_out.size(), 1u);
  EXPECT_EQ(got.left_out[0].reason, L"the folder cannot be read: File name too long");
  // Removed from the bottom up, in relative steps, as it was made.
  std::filesystem::current_path(dir.File("lib"));
  int depth = 0;
  for (; std::filesystem::exists(std::string(200, 'd')); ++depth) std::filesystem::current_path(std::string(200, 'd'));
  for (; depth > 0; --depth) {
    std::filesystem::current_path("..");
    std::filesystem::remove(std::string(200, 'd'));
  }
  std::filesystem::current_path(before);
}

}  // namespace
}  // namespace cw::cli
