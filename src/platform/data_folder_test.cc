// Where the program finds its files, beside it or installed.
#include "platform/data_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace cw {
namespace {

struct Layout {
  const char* what;
  std::set<std::wstring> present;
  std::wstring data_folder;
  std::wstring encoder;
};

TEST(DataFolderTest, BesideTheProgramOrInstalled) {
  const std::wstring bin = L"/opt/cw/bin/";
  const std::vector<Layout> layouts = {
      {"build folder", {L"/opt/cw/bin/data.dat", L"/opt/cw/bin/xenc"}, bin, L"/opt/cw/bin/xenc"},
      {"installed",
       {L"/opt/cw/bin/../share/clipwright/data.dat", L"/opt/cw/bin/../libexec/clipwright/xenc"},
       L"/opt/cw/bin/../share/clipwright/",
       L"/opt/cw/bin/../libexec/clipwright/xenc"},
      {"both: the files beside win",
       {L"/opt/cw/bin/data.dat", L"/opt/cw/bin/../share/clipwright/data.dat", L"/opt/cw/bin/xenc",
        L"/opt/cw/bin/../libexec/clipwright/xenc"},
       bin,
       L"/opt/cw/bin/xenc"},
      {"nothing anywhere: beside, so the messages name that place", {}, bin, L"/opt/cw/bin/xenc"},
      {"a share folder without data.dat does not count",
       {L"/opt/cw/bin/../share/clipwright/htm/index.htm"},
       bin,
       L"/opt/cw/bin/xenc"},
  };
  for (const auto& layout : layouts) {
    auto exists = [&](const std::wstring& path) { return layout.present.count(path) > 0; };
    EXPECT_EQ(DataFolderFor(bin, exists), layout.data_folder) << layout.what;
    EXPECT_EQ(EncoderPathFor(bin, exists), layout.encoder) << layout.what;
  }
}

}  // namespace
}  // namespace cw
