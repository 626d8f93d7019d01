// Tests of the Windows file services that need a second open handle: a file
// deleted while another handle still holds it open.
#include <windows.h>
#undef DeleteFile

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/files.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

HANDLE OpenSharingDelete(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The handle of an encoder just killed closes a moment after its end; a
// caller that deletes the encoder's file and then checks or reuses the name
// must find it gone, so the removal waits for the name.
TEST(DeleteFileWin32, TheNameIsGoneOnReturnOnceAnotherHandleCloses) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"held.mp4.partial";
  ASSERT_TRUE(WriteFileBytes(path, "partial"));
  for (int hold_ms : {0, 50, 300}) {
    ASSERT_TRUE(WriteFileBytes(path, "partial"));
    HANDLE held = OpenSharingDelete(path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread holder([held, hold_ms] {
      std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
      CloseHandle(held);
    });
    EXPECT_TRUE(DeleteFile(path)) << hold_ms;
    EXPECT_FALSE(FileExists(path)) << hold_ms;
    holder.join();
    // The name can be taken again at once.
    EXPECT_TRUE(WriteFileBytes(path, "next")) << hold_ms;
    EXPECT_TRUE(DeleteFile(path));
  }
}

TEST(DeleteFileWin32, AMissingOrEmptyNameIsNotRemoved) {
  testing::TempDir dir;
  EXPECT_FALSE(DeleteFile(dir.wpath() + L"never-made.mp4"));
  EXPECT_FALSE(DeleteFile(L""));
}

}  // namespace
}  // namespace cw
