// Tests of the Windows file services: a file deleted while another handle
// still holds it open, and folders made from paths written with backslashes.
#include <windows.h>
#undef DeleteFile

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

HANDLE OpenSharingDelete(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// This program holds its output reservations open while it deletes them (a
// run that failed or was stopped): the removal succeeds, and the name is free
// at once where the system allows it, else as soon as the holder closes.
TEST(DeleteFileWin32, AFileHeldOpenWithDeleteSharingIsRemoved) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"held.mp4.partial";
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(WriteFileBytes(path, "partial"));
    HANDLE held = OpenSharingDelete(path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFile(path)) << round;
    CloseHandle(held);
    EXPECT_FALSE(FileExists(path)) << round;
    // The name can be taken again.
    EXPECT_TRUE(WriteFileBytes(path, "next")) << round;
    EXPECT_TRUE(DeleteFile(path)) << round;
    EXPECT_FALSE(FileExists(path)) << round;
  }
}

TEST(DeleteFileWin32, AMissingOrEmptyNameIsNotRemoved) {
  testing::TempDir dir;
  EXPECT_FALSE(DeleteFile(dir.wpath() + L"never-made.mp4"));
  EXPECT_FALSE(DeleteFile(L""));
}

// An output folder as config.ini may hold it on Windows, with backslashes and
// missing parents (C:\Users\me\Videos\new\sub): every part is made.
TEST(CreateDirectoriesWin32, BackslashedFoldersGetTheirMissingParents) {
  testing::TempDir dir;
  std::wstring base = dir.wpath();
  for (wchar_t& c : base) {
    if (c == L'/') c = L'\\';
  }
  for (const std::wstring& folder : {base + L"new\\sub", base + L"mixed/a\\b/c\\"}) {
    EXPECT_TRUE(CreateDirectories(folder)) << WideToSystem(folder);
    EXPECT_TRUE(IsDirectory(folder)) << WideToSystem(folder);
  }
  EXPECT_TRUE(IsDirectory(base + L"new"));
}

}  // namespace
}  // namespace cw
