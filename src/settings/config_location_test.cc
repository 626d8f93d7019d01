// Tests of where config.ini lives and of folder creation.
#include "settings/config_location.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

TEST(ChooseConfigFolder, ProgramFolderWhenWritableElseUserFolder) {
  auto writable = [](const std::wstring&) { return true; };
  auto read_only = [](const std::wstring&) { return false; };
  EXPECT_EQ(ChooseConfigFolder(L"/opt/cw/", L"/home/u/.config", writable), L"/opt/cw/");
  EXPECT_EQ(ChooseConfigFolder(L"/opt/cw", L"/home/u/.config", writable), L"/opt/cw/");
  EXPECT_EQ(ChooseConfigFolder(L"/opt/cw/", L"/home/u/.config", read_only), L"/home/u/.config/clipwright/");
  EXPECT_EQ(ChooseConfigFolder(L"/opt/cw/", L"/home/u/.config/", read_only), L"/home/u/.config/clipwright/");
  std::wstring asked;
  ChooseConfigFolder(L"/opt/cw", L"/x", [&asked](const std::wstring& folder) {
    asked = folder;
    return true;
  });
  EXPECT_EQ(asked, L"/opt/cw/");
}

}  // namespace
}  // namespace cw
