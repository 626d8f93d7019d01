// The quoting table of Windows command lines, checked on every system; the
// round trip through a real program's runtime is in process-win32_test.cc.
#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(QuoteWindowsArgument, QuotesWhatTheRuntimeWouldSplitOrUnescape) {
  struct Case {
    std::wstring arg, quoted;
  };
  const Case cases[] = {
      {L"plain", L"plain"},
      {L"", L"\"\""},
      {L"two words", L"\"two words\""},
      {L"tab\there", L"\"tab\there\""},
      {L"\"", L"\"\\\"\""},
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
      // Backslashes are literal unless a quote follows them.
      {L"back\\slash", L"back\\slash"},
      {L"C:\\dir\\", L"C:\\dir\\"},
      {L"C:\\my dir\\", L"\"C:\\my dir\\\\\""},
      {L"two\\\\ end\\\\", L"\"two\\\\ end\\\\\\\\\""},
      {L"a\\\"b", L"\"a\\\\\\\"b\""},
      // cmd.exe's characters mean nothing to CreateProcessW.
      {L"a&b", L"a&b"},
      {L"100%", L"100%"},
      {L"%PATH%", L"%PATH%"},
      {L"x^y", L"x^y"},
      {L"<in>|out", L"<in>|out"},
      {L"& %x% ^", L"\"& %x% ^\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteWindowsArgument(c.arg), c.quoted) << std::string(c.arg.begin(), c.arg.end());
}

TEST(WindowsCommandLine, QuotesTheProgramAsItIsAndEveryArgument) {
  EXPECT_EQ(WindowsCommandLine({}), L"");
  EXPECT_EQ(WindowsCommandLine({L"C:/Program Files/x/xenc.exe"}), L"\"C:/Program Files/x/xenc.exe\"");
  EXPECT_EQ(WindowsCommandLine({L"C:\\x\\xenc.exe", L"-i", L"in put.avi", L"", L"out\\"}),
            L"\"C:\\x\\xenc.exe\" -i \"in put.avi\" \"\" out\\");
}

}  // namespace
}  // namespace cw
