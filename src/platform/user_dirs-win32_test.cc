// The user's folders on Windows come from the Known Folders, with '/' as the
// separator and no trailing one.
#include "platform/user_dirs.h"

#include <gtest/gtest.h>

#include "platform/files.h"

namespace cw {
namespace {

TEST(UserDirsWin32, KnownFoldersAreAbsoluteAndWrittenWithSlashes) {
  for (const std::wstring& folder : {UserHomeFolder(), UserVideosFolder(), UserConfigFolder(), UserStateFolder()}) {
    std::string shown(folder.begin(), folder.end());
    ASSERT_GE(folder.size(), 3u) << shown;
    EXPECT_EQ(folder[1], L':') << shown;
    EXPECT_EQ(folder[2], L'/') << shown;
    EXPECT_EQ(folder.find(L'\\'), std::wstring::npos) << shown;
    EXPECT_NE(folder.back(), L'/') << shown;
  }
  EXPECT_TRUE(IsDirectory(UserHomeFolder()));
  EXPECT_TRUE(IsDirectory(UserConfigFolder()));
  EXPECT_EQ(UserConfigFolder().rfind(UserHomeFolder() + L"/", 0), 0u);
  EXPECT_NE(UserConfigFolder(), UserStateFolder());
}

}  // namespace
}  // namespace cw
