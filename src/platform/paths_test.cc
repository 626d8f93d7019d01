// Tests of the path texts: folder, name, base name and parent, with the
// system's separators ('\' too on Windows, where every case also runs with
// backslashes).
#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace cw {
namespace {

std::wstring Backslashed(std::wstring text) {
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  return text;
}

TEST(Paths, SplitAtTheLastSeparator) {
  const struct {
    std::wstring path, folder, name, base, parent;
  } cases[] = {
      {L"/home/u/clip.avi", L"/home/u", L"clip.avi", L"clip", L"/home/u"},
      {L"/v/holiday.2010.mov", L"/v", L"holiday.2010.mov", L"holiday.2010", L"/v"},
      {L"/v.d/noext", L"/v.d", L"noext", L"noext", L"/v.d"},  // a dot in a folder is no extension
      {L"/v/.profile", L"/v", L".profile", L"", L"/v"},
      {L"/home/u/", L"/home/u", L"", L"", L"/home"},
      {L"/a//b", L"/a/", L"b", L"b", L"/a/"},
      {L"/clip", L"", L"clip", L"clip", L"/"},
      {L"/", L"", L"", L"", L""},
      {L"clip.avi", L"", L"clip.avi", L"clip", L""},
      {L"", L"", L"", L"", L""},
      {L"/x/y.z/\u4E2D\u6587.mkv", L"/x/y.z", L"\u4E2D\u6587.mkv", L"\u4E2D\u6587", L"/x/y.z"},
  };
  const bool backslashes = IsPathSeparator(L'\\');
  for (const auto& c : cases) {
    for (bool turned : {false, backslashes}) {
      auto as = [turned](const std::wstring& text) { return turned ? Backslashed(text) : text; };
      const std::wstring path = as(c.path);
      EXPECT_EQ(FolderOfPath(path), as(c.folder)) << WideToSystem(path);
      EXPECT_EQ(FileNameOfPath(path), c.name) << WideToSystem(path);
      EXPECT_EQ(BaseNameOfPath(path), c.base) << WideToSystem(path);
      EXPECT_EQ(ParentFolderOf(path), as(c.parent)) << WideToSystem(path);
    }
  }
  // On Linux a backslash is part of a name.
  EXPECT_EQ(FileNameOfPath(L"C:\\v\\a.avi"), backslashes ? L"a.avi" : L"C:\\v\\a.avi");
}

}  // namespace
}  // namespace cw
