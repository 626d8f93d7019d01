// The system's narrow code page: ASCII and a character every ANSI code page
// of the West has (and UTF-8) go there and back unchanged.
#include <gtest/gtest.h>

#include "platform/text.h"

namespace cw {
namespace {

TEST(CodePage, AsciiAndCommonCharactersRoundTrip) {
  EXPECT_EQ(CodePageToWide("plain ascii 123"), L"plain ascii 123");
  EXPECT_EQ(WideToCodePage(L"plain ascii 123"), "plain ascii 123");
  EXPECT_EQ(CodePageToWide(""), L"");
  EXPECT_EQ(WideToCodePage(L""), "");
  const std::wstring accented = L"caf\u00e9";
  EXPECT_EQ(CodePageToWide(WideToCodePage(accented)), accented);
  // An escaped byte is no character: it never goes out as its byte.
  std::string out = WideToCodePage(std::wstring(L"a") + static_cast<wchar_t>(0xDCFF) + L"b");
  EXPECT_EQ(out.find('\xff'), std::string::npos);
  EXPECT_EQ(out.front(), 'a');
  EXPECT_EQ(out.back(), 'b');
}

}  // namespace
}  // namespace cw
