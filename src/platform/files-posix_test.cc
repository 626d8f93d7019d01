// Tests of the file-system services that need a second process made with
// fork(2): a writer killed mid-write, a lock held by another process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/files.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

// A writer killed at any moment, between or inside the steps, leaves one of
// the two whole texts under the name: never a mixture, a cut text or nothing.
TEST(ReplaceFileDurably, AKilledWriterLeavesTheOldOrTheNewTextWhole) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.json";
  const std::string texts[2] = {std::string(300000, 'a'), std::string(200000, 'b')};
  ASSERT_TRUE(ReplaceFileDurably(path, texts[0]));
  for (int round = 0; round < 12; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 1;; ++i) ReplaceFileDurably(path, texts[i % 2]);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(3 + 7 * round));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, &bytes)) << "round " << round;
    EXPECT_TRUE(bytes == texts[0] || bytes == texts[1]) << "round " << round << ": " << bytes.size() << " bytes";
  }
}

TEST(TryLockFile, OneHolderAtATimeAndFreeOnceReleased) {
  testing::TempDir dir;
  std::wstring path = dir.wpath() + L"queue.lock";
  std::unique_ptr<FileLock> first = TryLockFile(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TryLockFile(path), nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(TryLockFile(path) ? 0 : 3);  // another process is refused too
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 3);
  first.reset();
  EXPECT_NE(TryLockFile(path), nullptr);
  EXPECT_EQ(TryLockFile(dir.wpath() + L"no-folder/queue.lock"), nullptr);
}

}  // namespace
}  // namespace cw
