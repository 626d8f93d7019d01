// Where the program finds its files, beside it or installed.
#include "platform/data_folder.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/files.h"

namespace cw {
namespace {

struct Layout {
  const char* what;
  std::set<std::wstring> present;
  std::wstring data_folder;
  std::wstring encoder;
};

// The encoder's file in `folder`: xenc, or xenc.exe on Windows.
std::wstring Xenc(const std::wstring& folder) { return folder + L"xenc" + ExecutableSuffix(); }

TEST(DataFolderTest, BesideTheProgramOrInstalled) {
  const std::wstring bin = L"/opt/cw/bin/";
  const std::vector<Layout> layouts = {
      {"build folder", {L"/opt/cw/bin/data.dat", Xenc(L"/opt/cw/bin/")}, bin, Xenc(L"/opt/cw/bin/")},
      {"installed",
       {L"/opt/cw/bin/../share/clipwright/data.dat", Xenc(L"/opt/cw/bin/../libexec/clipwright/")},
       L"/opt/cw/bin/../share/clipwright/",
       Xenc(L"/opt/cw/bin/../libexec/clipwright/")},
      {"both: the files beside win",
       {L"/opt/cw/bin/data.dat", L"/opt/cw/bin/../share/clipwright/data.dat", Xenc(L"/opt/cw/bin/"),
        Xenc(L"/opt/cw/bin/../libexec/clipwright/")},
       bin,
       Xenc(L"/opt/cw/bin/")},
      {"nothing anywhere: beside, so the messages name that place", {}, bin, Xenc(L"/opt/cw/bin/")},
      {"a share folder without data.dat does not count",
       {L"/opt/cw/bin/../share/clipwright/htm/index.htm"},
       bin,
       Xenc(L"/opt/cw/bin/")},
  };
  for (const auto& layout : layouts) {
    auto exists = [&](const std::wstring& path) { return layout.present.count(path) > 0; };
    EXPECT_EQ(DataFolderFor(bin, exists), layout.data_folder) << layout.what;
    EXPECT_EQ(EncoderPathFor(bin, exists), layout.encoder) << layout.what;
  }
}

}  // namespace
}  // namespace cw
