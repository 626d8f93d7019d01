// Output folders on Windows: a folder that is not a full path by Windows's
// own rule is refused with that rule, and the full forms are taken.
#include "settings/setting_checks.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

TEST(OutputFolderProblemWin32, NotAFullPathNamesTheWindowsRule) {
  const std::wstring refused =
      L"it is not a full path (it must start with a drive, as C:\\, or with \\\\ and a server)";
  for (const wchar_t* folder : {L"relative\\dir", L"-y", L"/output", L"\\output", L"C:output", L"1:\\output"}) {
    EXPECT_EQ(OutputFolderProblem(folder), refused) << WideToSystem(folder);
  }
}

TEST(OutputFolderProblemWin32, DriveFoldersAreFullPaths) {
  testing::TempDir dir;
  const std::wstring base = SystemToWide(dir.path());
  ASSERT_GE(base.size(), 3u);
  std::wstring backslashed = base + L"\\new\\out";
  for (wchar_t& c : backslashed) {
    if (c == L'/') c = L'\\';
  }
  for (const std::wstring& folder : {base, base + L"/new/out", backslashed}) {
    EXPECT_EQ(OutputFolderProblem(folder), L"") << WideToSystem(folder);
  }
}

}  // namespace
}  // namespace cw
