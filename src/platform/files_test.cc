// Tests of the file-system services against a temporary folder.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

TEST(ProgramFolder, EndsWithSlashAndExists) {
  const std::wstring& folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'/');
  EXPECT_TRUE(IsDirectory(folder));
}

TEST(ReadWholeTextFile, JoinsLinesWithoutLineEnds) {
  testing::TempDir dir;
  struct Case {
    std::string bytes, text;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"ab\ncd\n", "abcd"},
      {"ab\r\ncd\r\n", "abcd"},
      {"ab\r\ncd\nef", "abcdef"},
      {"a\rb", "a\rb"},  // a lone CR inside a line stays
      {"\n\n\n", ""},
  };
  for (const auto& c : cases) {
    dir.Write("f.txt", c.bytes);
    std::string text = "stale";
    ASSERT_TRUE(ReadWholeTextFile(SystemToWide(dir.File("f.txt")), &text));
    EXPECT_EQ(text, c.text);
  }
  std::string text = "stale";
  EXPECT_FALSE(ReadWholeTextFile(SystemToWide(dir.File("missing.txt")), &text));
  EXPECT_TRUE(text.empty());
  EXPECT_FALSE(ReadWholeTextFile(dir.wpath(), &text));  // a folder is not a file
}

TEST(Files, CreateListDelete) {
  testing::TempDir dir;
  std::wstring base = dir.wpath();
  EXPECT_TRUE(CreateDirectory(base + L"sub"));
  EXPECT_FALSE(CreateDirectory(base + L"sub"));
  EXPECT_TRUE(IsDirectory(base + L"sub"));
  dir.Write("a.avi", "x");
  dir.Write(".hidden", "x");
  dir.Write("\xE8\xA7\x86\xE9\xA2\x91.mp4", "x");
  EXPECT_TRUE(FileExists(base + L"a.avi"));
  EXPECT_FALSE(IsDirectory(base + L"a.avi"));

  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListFolder(base, &entries));
  ASSERT_EQ(entries.size(), 4u);
  int dirs = 0, hidden = 0;
  bool saw_wide = false;
  for (const auto& e : entries) {
    dirs += e.is_directory;
    hidden += e.is_hidden;
    saw_wide |= e.name == L"\u89C6\u9891.mp4";
  }
  EXPECT_EQ(dirs, 1);
  EXPECT_EQ(hidden, 1);
  EXPECT_TRUE(saw_wide);

  EXPECT_TRUE(DeleteFile(base + L"a.avi"));
  EXPECT_FALSE(DeleteFile(base + L"a.avi"));
  EXPECT_FALSE(FileExists(base + L"a.avi"));
  EXPECT_FALSE(ListFolder(base + L"missing", &entries));
}

TEST(CreateDirectories, CreatesEveryMissingLevelOfAnyLength) {
  testing::TempDir dir;
  std::wstring deep = SystemToWide(dir.path());
  for (int i = 0; i < 30; ++i) deep += L"/level-" + std::to_wstring(i) + L"-with-a-long-name";
  ASSERT_GT(deep.size(), 600u);
  EXPECT_TRUE(CreateDirectories(deep));
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_TRUE(CreateDirectories(deep));  // existing: nothing happens
  EXPECT_TRUE(IsDirectory(deep));
  std::wstring trailing = SystemToWide(dir.File("with/trailing/"));
  CreateDirectories(trailing);
  EXPECT_TRUE(IsDirectory(trailing));
}

TEST(CreateDirectories, IgnoresFailures) {
  testing::TempDir dir;
  dir.Write("file", "x");
  std::wstring below_file = SystemToWide(dir.File("file/sub"));
  EXPECT_FALSE(CreateDirectories(below_file));  // must neither throw nor hang
  EXPECT_FALSE(IsDirectory(below_file));
  EXPECT_FALSE(CreateDirectories(L""));
}

TEST(CreateDirectories, CreatesEveryMissingLevelOfUnicodeNames) {
  testing::TempDir dir;
  std::wstring deep = dir.wpath() + L"a/b/\u4E2D/d";
  EXPECT_TRUE(CreateDirectories(deep));
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_TRUE(CreateDirectories(deep));  // already there
  dir.Write("file", "x");
  EXPECT_FALSE(CreateDirectories(dir.wpath() + L"file/sub"));
  EXPECT_FALSE(CreateDirectories(L""));
}

// Names are bytes: each one found in a folder opens, reads, lists as a
// folder and deletes by the name the listing gave, whether or not it is UTF-8.
TEST(Files, EveryNameFoundInAFolderOpensByThatName) {
  testing::TempDir dir;
  const std::string names[] = {"plain.avi", "caf\xC3\xA9.avi", "\xFF\xFE.avi", "caf\xE9.avi", "s\xED\xA0\x80.avi",
                               "cut\xE4\xB8.avi", "over\xC0\xAF.avi", "\xFF\xFE-folder"};
  for (const auto& name : names) {
    if (name.find("folder") != std::string::npos) {
      ASSERT_TRUE(CreateDirectory(SystemToWide(dir.File(name))));
    } else {
      dir.Write(name, name);
    }
  }
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListFolder(dir.wpath(), &entries));
  ASSERT_EQ(entries.size(), std::size(names));
  for (const auto& e : entries) {
    const std::string bytes = WideToSystem(e.name);
    EXPECT_NE(std::find(std::begin(names), std::end(names), bytes), std::end(names)) << bytes;
    const std::wstring path = dir.wpath() + e.name;
    if (e.is_directory) {
      EXPECT_TRUE(IsDirectory(path)) << bytes;
      std::vector<FolderEntry> inside;
      EXPECT_TRUE(ListFolder(path, &inside)) << bytes;
      continue;
    }
    std::string content;
    EXPECT_TRUE(ReadFileBytes(path, &content)) << bytes;
    EXPECT_EQ(content, bytes);
    EXPECT_TRUE(WriteFileBytes(path + L".copy", content)) << bytes;
    EXPECT_TRUE(DeleteFile(path + L".copy")) << bytes;
    EXPECT_TRUE(DeleteFile(path)) << bytes;
  }
}

TEST(Files, RenamesReplaceOnlyWhenAsked) {
  testing::TempDir dir;
  std::wstring base = dir.wpath();
  dir.Write("old", "old bytes");
  dir.Write("taken", "taken bytes");
  EXPECT_FALSE(RenameWithoutReplacing(base + L"old", base + L"taken"));
  EXPECT_EQ(dir.Read("old"), "old bytes");
  EXPECT_EQ(dir.Read("taken"), "taken bytes");
  EXPECT_TRUE(RenameWithoutReplacing(base + L"old", base + L"free"));
  EXPECT_FALSE(FileExists(base + L"old"));
  EXPECT_EQ(dir.Read("free"), "old bytes");
  EXPECT_FALSE(RenameWithoutReplacing(base + L"missing", base + L"other"));

  EXPECT_TRUE(RenameFile(base + L"free", base + L"taken"));
  EXPECT_EQ(dir.Read("taken"), "old bytes");
  EXPECT_FALSE(FileExists(base + L"free"));
  ASSERT_TRUE(CreateDirectory(base + L"folder"));
  EXPECT_FALSE(RenameFile(base + L"taken", base + L"folder"));  // never over a folder
  EXPECT_EQ(dir.Read("taken"), "old bytes");
}

TEST(FileReservation, TheNameIsTakenOnceAndItsLockEndsWithItsHolder) {
  testing::TempDir dir;
  const std::wstring path = dir.wpath() + L"clip.mp4.part";
  auto first = FileReservation::Create(path);
  ASSERT_TRUE(first);
  EXPECT_FALSE(FileReservation::Create(path));  // never twice
  EXPECT_FALSE(ReservationAbandoned(path));     // held
  EXPECT_EQ(RegularFileSize(path), 0);
  first.reset();
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(ReservationAbandoned(path));  // left behind
  EXPECT_FALSE(ReservationAbandoned(dir.wpath() + L"missing"));
}

TEST(Files, ReadsARangeAndTellsTheSize) {
  testing::TempDir dir;
  dir.Write("f", "0123456789");
  std::string part;
  EXPECT_TRUE(ReadFileRange(dir.wpath() + L"f", 3, 4, &part));
  EXPECT_EQ(part, "3456");
  EXPECT_TRUE(ReadFileRange(dir.wpath() + L"f", 8, 16, &part));
  EXPECT_EQ(part, "89");
  EXPECT_FALSE(ReadFileRange(dir.wpath() + L"missing", 0, 4, &part));
  EXPECT_EQ(RegularFileSize(dir.wpath() + L"f"), 10);
  EXPECT_EQ(RegularFileSize(dir.wpath()), -1);
}

TEST(Files, CopiesTheModificationTime) {
  testing::TempDir dir;
  dir.Write("taken.mp4", "a");
  dir.Write("made.mp4", "b");
  const auto taken = std::filesystem::path(dir.File("taken.mp4"));
  const auto made = std::filesystem::path(dir.File("made.mp4"));
  // Six years back, to the second: every file system keeps that.
  const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 6);
  std::filesystem::last_write_time(taken, std::chrono::floor<std::chrono::seconds>(then));
  EXPECT_TRUE(CopyModificationTime(dir.wpath() + L"taken.mp4", dir.wpath() + L"made.mp4"));
  EXPECT_EQ(std::filesystem::last_write_time(made), std::filesystem::last_write_time(taken));
  EXPECT_FALSE(CopyModificationTime(dir.wpath() + L"missing", dir.wpath() + L"made.mp4"));
  EXPECT_FALSE(CopyModificationTime(dir.wpath() + L"taken.mp4", dir.wpath() + L"missing"));
}

TEST(ReplaceFileDurably, ReplacesWholeAndFailsWithoutTouchingTheOldFile) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  EXPECT_TRUE(ReplaceFileDurably(path, "first"));
  EXPECT_EQ(dir.Read("queue.json"), "first");
  EXPECT_TRUE(ReplaceFileDurably(path, std::string(100000, 'x')));
  EXPECT_EQ(dir.Read("queue.json"), std::string(100000, 'x'));
  EXPECT_FALSE(FileExists(DurableTempPath(path)));  // renamed, not copied
  EXPECT_FALSE(ReplaceFileDurably(dir.wpath() + L"missing-folder/queue.json", "bytes"));
}

}  // namespace
}  // namespace cw
