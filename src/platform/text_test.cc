// Tests of the text conversion and ASCII case folding.
#include "platform/text.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

struct DecodeCase {
  std::string bytes;
  std::wstring wide;
};

TEST(SystemToWide, DecodesValidAndReplacesInvalid) {
  const DecodeCase cases[] = {
      {"", L""},
      {"abc", L"abc"},
      {"\xC3\xA9", L"\u00E9"},
      {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"},
      {"\xE2\x89\x88", L"\u2248"},
      {"\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},
      {"a\xFF" "b", L"a\uFFFDb"},            // invalid byte
      {"\xC0\xAF", L"\uFFFD\uFFFD"},        // overlong lead, stray continuation
      {"\xE4\xB8", L"\uFFFD"},              // cut short at the end
      {"\xE4\xB8x", L"\uFFFDx"},            // cut short in the middle
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\x80", L"\uFFFD"},
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(SystemToWide(c.bytes), c.wide) << c.bytes;
}

TEST(WideToSystem, RoundTripsAndJoinsSurrogates) {
  const std::wstring samples[] = {L"", L"plain", L"\u00E9t\u00E9", L"\u4E2D\u6587/\u0444\u0430\u0439\u043B",
                                  std::wstring(1, static_cast<wchar_t>(0x1F600))};
  for (const auto& s : samples) EXPECT_EQ(SystemToWide(WideToSystem(s)), s);
  std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  EXPECT_EQ(WideToSystem(pair), "\xF0\x9F\x98\x80");
  std::wstring lone = {static_cast<wchar_t>(0xD83D), L'x'};
  EXPECT_EQ(WideToSystem(lone), "\xEF\xBF\xBDx");
}

TEST(AsciiCaseCompare, FoldsOnlyAsciiLetters) {
  struct Case {
    std::wstring a, b;
    int sign;
  };
  const Case cases[] = {
      {L"abc", L"ABC", 0},
      {L"{ABCD-ef}", L"{abcd-EF}", 0},
      {L"\u00C9", L"\u00E9", -1},  // no folding outside A-Z
      {L"a", L"b", -1},
      {L"B", L"a", 1},
      {L"ab", L"abc", -1},
      {L"[", L"a", -1},  // '[' (0x5B) vs 'a': folding happens before comparing
      {L"", L"", 0},
  };
  for (const auto& c : cases) {
    int r = AsciiCaseCompare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << std::string(c.a.begin(), c.a.end());
  }
}

}  // namespace
}  // namespace cw
