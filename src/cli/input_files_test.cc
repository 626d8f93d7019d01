// Expanding files and folders of the command line.
#include "platform/files.h"
#include "cli/input_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "settings/config_object.h"
#include "sources/add_sources.h"
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
    EXPECT_TRUE(IsFullPath(f));
  }
}

TEST(InputFilesTest, RecursiveTakesVideoFilesOfTheTreeWithTheirOutputFolders) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("lib/2019/deep"));
  std::filesystem::create_directories(dir.File("lib/.hidden"));
  dir.Write("lib/top.MKV", "x");
  dir.Write("lib/2019/clip.avi", "x");
  dir.Write("lib/2019/deep/clip.mov", "x");
  dir.Write("lib/2019/notes.txt", "x");
  dir.Write("lib/2019/.clip.avi", "x");
  dir.Write("lib/.hidden/x.avi", "x");
  std::filesystem::create_directory_symlink(dir.File("lib"), dir.File("lib/2019/loop"));  // no endless walk
  ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
  settings.outputDir = L"/out";
  InputFiles got = ExpandInputs({dir.File("lib")}, settings, {true});
  std::wstring root = SystemToWide(dir.path()) + L"/lib";
  EXPECT_EQ(PathsOf(got), (std::vector<std::wstring>{root + L"/2019/clip.avi", root + L"/2019/deep/clip.mov",
                                                     root + L"/top.MKV"}));
  ASSERT_EQ(got.tasks.size(), 3u);
  EXPECT_EQ(got.tasks[0]->outputDir, L"/out/2019");
  EXPECT_EQ(got.tasks[1]->outputDir, L"/out/2019/deep");
  EXPECT_EQ(got.tasks[2]->outputDir, L"");  // the settings' folder
  EXPECT_EQ(PlannedOutputs(got.tasks, L"/out"),
            (std::vector<std::wstring>{L"/out/2019/clip.mp4", L"/out/2019/deep/clip.mp4", L"/out/top.mp4"}));
  size_t first = 0, second = 0;
  EXPECT_FALSE(FindSharedOutputName(got.tasks, L"/out", &first, &second));
  // Without --recursive the window's scan: the files directly inside, whatever their extension.
  EXPECT_EQ(PathsOf(ExpandInputs({dir.File("lib")}, settings)), (std::vector<std::wstring>{root + L"/top.MKV"}));
}

// A repeat run into a folder inside the input folder, or into the input
// folder itself, finds nothing it wrote: no partial file, no output.
TEST(InputFilesTest, WhatTheProgramWroteIsNotQueuedAgain) {
  testing::TempDir dir;
  for (const char* name : {"v/a.avi", "v/a.mp4", "v/a(1).mp4", "v/b.mp4", "v/b(1).mp4", "v/c(2).mp4",
                           "v/d.mp4.clipwright-partial", "lib/e.avi", "lib/out/e.mp4", "lib/out/f/g.mp4"}) {
    std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
    dir.Write(name, "x");
  }
  const std::wstring root = SystemToWide(dir.path());
  const struct {
    const char* folder;
    const char* output;
    bool recursive;
    std::vector<std::wstring> queued;
  } cases[] = {
      {"v", "v", false, {root + L"/v/a.avi", root + L"/v/b.mp4", root + L"/v/c(2).mp4"}},
      {"v", "v", true, {root + L"/v/a.avi", root + L"/v/b.mp4", root + L"/v/c(2).mp4"}},
      {"lib", "lib/out", true, {root + L"/lib/e.avi"}},
      {"v", "elsewhere", false,  // not its output folder: all but the partial file
       {root + L"/v/a(1).mp4", root + L"/v/a.avi", root + L"/v/a.mp4", root + L"/v/b(1).mp4", root + L"/v/b.mp4",
        root + L"/v/c(2).mp4"}},
  };
  for (const auto& c : cases) {
    ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
    settings.outputDir = SystemToWide(dir.File(c.output));
    InputFiles got = ExpandInputs({dir.File(c.folder)}, settings, {c.recursive});
    EXPECT_EQ(PathsOf(got), c.queued) << c.folder << " -> " << c.output;
    EXPECT_TRUE(got.left_out.empty());
  }
}

TEST(InputFilesTest, PlannedOutputsNumberSharedNamesInListOrder) {
  testing::TempDir dir;
  ConfigObject settings(dir.wpath() + L"config.ini", dir.wpath());
  std::vector<std::shared_ptr<FileObject>> tasks;
  for (const wchar_t* path : {L"/a/clip.avi", L"/b/clip.mkv", L"/a/other.avi", L"/c/clip.mov"}) {
    tasks.push_back(MakeSourceTask(path, settings));
  }
  EXPECT_EQ(PlannedOutputs(tasks, L"/o"),
            (std::vector<std::wstring>{L"/o/clip.mp4", L"/o/clip(1).mp4", L"/o/other.mp4", L"/o/clip(2).mp4"}));
  size_t first = 9, second = 9;
  ASSERT_TRUE(FindSharedOutputName(tasks, L"/o", &first, &second));
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(second, 1u);
}

TEST(InputFilesTest, ShardsAreDisjointAndCoverTheList) {
  for (size_t size : {0u, 1u, 2u, 7u, 10u}) {
    for (int count : {1, 2, 3, 4, 11}) {
      std::vector<int> owner(size, 0);
      for (int k = 1; k <= count; ++k) {
        for (size_t i : ShardPositions(size, k, count)) {
          ASSERT_LT(i, size);
          EXPECT_EQ(i % static_cast<size_t>(count), static_cast<size_t>(k - 1));
          ++owner[i];
        }
      }
      for (size_t i = 0; i < size; ++i) EXPECT_EQ(owner[i], 1) << size << " " << count << " " << i;
    }
  }
  EXPECT_TRUE(ShardPositions(5, 0, 3).empty());
  EXPECT_TRUE(ShardPositions(5, 4, 3).empty());
}

}  // namespace
}  // namespace cw::cli
