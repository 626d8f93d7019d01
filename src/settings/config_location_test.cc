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

TEST(ChooseJournalFolder, BesideAPortableConfigElseInTheUsersStateFolder) {
  const struct {
    const wchar_t* config;
    const wchar_t* program;
    const wchar_t* state;
    const wchar_t* expected;
  } cases[] = {
      {L"/opt/cw/", L"/opt/cw/", L"/home/u/.local/state", L"/opt/cw/"},
      {L"/opt/cw/", L"/opt/cw", L"/home/u/.local/state", L"/opt/cw/"},
      {L"/home/u/.config/clipwright/", L"/usr/bin/", L"/home/u/.local/state", L"/home/u/.local/state/clipwright/"},
      {L"/home/u/.config/clipwright/", L"/usr/bin/", L"/s/", L"/s/clipwright/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseJournalFolder(c.config, c.program, c.state), c.expected) << c.config << " " << c.program;
  }
}

}  // namespace
}  // namespace cw
