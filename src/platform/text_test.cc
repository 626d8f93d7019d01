// Tests of the text conversion (lossless for names, tolerant, for people)
// and ASCII case folding.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace cw {
namespace {

struct DecodeCase {
  std::string bytes;
  std::wstring wide;
};

TEST(SystemToWideReplacing, DecodesValidAndReplacesInvalid) {
  const DecodeCase cases[] = {
      {"", L""},
      {"abc", L"abc"},
      {"\xC3\xA9", L"\u00E9"},
      {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"},
      {"\xE2\x89\x88", L"\u2248"},
      {"\xF0\x9F\x98\x80", L"\U0001F600"},  // one unit, or a surrogate pair where wchar_t has 16 bits
      {"a\xFF" "b", L"a\uFFFDb"},            // invalid byte
      {"\xC0\xAF", L"\uFFFD\uFFFD"},        // overlong lead, stray continuation
      {"\xE4\xB8", L"\uFFFD"},              // cut short at the end
      {"\xE4\xB8x", L"\uFFFDx"},            // cut short in the middle
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\x80", L"\uFFFD"},
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(SystemToWideReplacing(c.bytes), c.wide) << c.bytes;
}

// Wide text from code units, for cases with lone surrogates.
std::wstring Units(std::initializer_list<uint32_t> units) {
  std::wstring out;
  for (uint32_t u : units) out += static_cast<wchar_t>(u);
  return out;
}

std::string Hex(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) out += std::string{kHex[b >> 4], kHex[b & 15], ' '};
  return out;
}

TEST(SystemToWide, EscapesEveryBadByteAndGivesTheSameBytesBack) {
  const DecodeCase cases[] = {
      {"", L""},
      {"clip.avi", L"clip.avi"},
      {"\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
      {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"},
      {"\xF0\x9F\x98\x80", L"\U0001F600"},
      {"\xFF\xFE", Units({0xDCFF, 0xDCFE})},                                  // never valid
      {"a\xFF\xFE.avi", Units({'a', 0xDCFF, 0xDCFE, '.', 'a', 'v', 'i'})},
      {"\x80", Units({0xDC80})},                                             // stray continuation
      {"\xE4\xB8", Units({0xDCE4, 0xDCB8})},                                 // cut short at the end
      {"\xE4\xB8x", Units({0xDCE4, 0xDCB8, 'x'})},                           // cut short in the middle
      {"\xF0\x9F\x98", Units({0xDCF0, 0xDC9F, 0xDC98})},                     // four-byte form cut short
      {"\xC0\xAF", Units({0xDCC0, 0xDCAF})},                                 // overlong '/'
      {"\xE0\x80\xAF", Units({0xDCE0, 0xDC80, 0xDCAF})},                     // overlong '/', three bytes
      {"\xF0\x80\x80\xAF", Units({0xDCF0, 0xDC80, 0xDC80, 0xDCAF})},         // overlong '/', four bytes
      {"\xED\xA0\x80", Units({0xDCED, 0xDCA0, 0xDC80})},                     // encoded surrogate U+D800
      {"\xED\xB3\xBF", Units({0xDCED, 0xDCB3, 0xDCBF})},                     // encoded U+DCFF: no escape forged
      {"\xF4\x90\x80\x80", Units({0xDCF4, 0xDC90, 0xDC80, 0xDC80})},         // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", Units({0xDCF8, 0xDC88, 0xDC80, 0xDC80, 0xDC80})},  // five-byte form
      {"caf\xC3\xA9 caf\xE9.avi", Units({'c', 'a', 'f', 0xE9, ' ', 'c', 'a', 'f', 0xDCE9, '.', 'a', 'v', 'i'})},
      {"\xC3\xA9\xC3", Units({0xE9, 0xDCC3})},                                // valid, then cut short
      {std::string("a\0\xFF", 3), Units({'a', 0, 0xDCFF})},
  };
  for (const auto& c : cases) {
    std::wstring wide = SystemToWide(c.bytes);
    EXPECT_EQ(wide, c.wide) << Hex(c.bytes);
    EXPECT_EQ(WideToSystem(wide), c.bytes) << Hex(c.bytes);
  }
}

TEST(SystemToWide, AnyByteStringRoundTrips) {
  // Every string of one or two bytes, then pseudo-random strings of up to
  // eight bytes drawn mostly from the bytes that matter to UTF-8.
  auto check = [](const std::string& bytes) {
    std::wstring wide = SystemToWide(bytes);
    ASSERT_EQ(WideToSystem(wide), bytes) << Hex(bytes);
    for (size_t i = 0; i < wide.size(); ++i) {
      auto v = static_cast<unsigned long>(wide[i]);
      auto next = i + 1 < wide.size() ? static_cast<unsigned long>(wide[i + 1]) : 0;
      if (v >= 0xD800 && v <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {  // a pair (16-bit wchar_t)
        ++i;
        continue;
      }
      ASSERT_FALSE(v >= 0xD800 && v <= 0xDFFF && !IsEscapedByte(wide[i])) << Hex(bytes);  // only escapes are lone
    }
  };
  for (int a = 0; a < 256; ++a) {
    check(std::string(1, static_cast<char>(a)));
    for (int b = 0; b < 256; ++b) check(std::string{static_cast<char>(a), static_cast<char>(b)});
  }
  const unsigned char kInteresting[] = {'a', 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                        0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFE, 0xFF};
  uint32_t state = 12345;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 16; };
  for (int n = 0; n < 200000; ++n) {
    std::string bytes(1 + next() % 8, '\0');
    for (char& b : bytes) b = static_cast<char>(next() % 4 == 0 ? next() % 256 : kInteresting[next() % 20]);
    check(bytes);
  }
}

TEST(SystemToWide, ValidUtf8DecodesAsTheTolerantDecoderDoes) {
  for (const std::string bytes : {"plain", "\xC3\xA9", "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF"}) {
    EXPECT_EQ(SystemToWide(bytes), SystemToWideReplacing(bytes)) << Hex(bytes);
  }
}

TEST(WideToSystem, EscapedBytesBecomeTheirBytesOtherLoneHalvesBecomeReplacement) {
  struct Case {
    std::wstring wide;
    std::string system;   // WideToSystem
    std::string display;  // WideToDisplayUtf8
  };
  const Case cases[] = {
      {Units({0xDCFF, 0xDCFE}), "\xFF\xFE", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {Units({'a', 0xDC80, '/', 0xDCE9}), "a\x80/\xE9", "a\xEF\xBF\xBD/\xEF\xBF\xBD"},
      {Units({0xDC7F}), "\xEF\xBF\xBD", "\xEF\xBF\xBD"},  // just below the escapes: no byte to give
      {Units({0xDD00}), "\xEF\xBF\xBD", "\xEF\xBF\xBD"},  // just above
      {Units({0xD800}), "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
      {Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // a pair joins in both
      {L"caf\u00E9", "caf\xC3\xA9", "caf\xC3\xA9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideToSystem(c.wide), c.system) << Hex(c.system);
    EXPECT_EQ(WideToDisplayUtf8(c.wide), c.display) << Hex(c.system);
    // What people are shown is valid UTF-8: reading it back gives no escapes.
    EXPECT_EQ(SystemToWide(WideToDisplayUtf8(c.wide)), SystemToWideReplacing(WideToDisplayUtf8(c.wide)));
  }
  if (sizeof(wchar_t) == 4) {  // a unit above U+10FFFF exists only where wchar_t has 32 bits
    EXPECT_EQ(WideToSystem(Units({0x110000})), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToDisplayUtf8(Units({0x110000})), "\xEF\xBF\xBD");
  }
}

TEST(RestoreEscapedBytes, KeepsTheBytesOfANameThatCameBackAsShown) {
  const std::wstring folder = SystemToWide("/v/a\xFF\xFE");
  const std::wstring shown = DisplayText(folder);  // "/v/a\uFFFD\uFFFD"
  EXPECT_EQ(RestoreEscapedBytes(shown, folder), folder);
  EXPECT_EQ(RestoreEscapedBytes(L"/v/other", folder), L"/v/other");     // a new choice wins
  EXPECT_EQ(RestoreEscapedBytes(shown + L"x", folder), shown + L"x");
  EXPECT_EQ(RestoreEscapedBytes(L"/v/a", L"/v/b"), L"/v/a");
  EXPECT_EQ(RestoreEscapedBytes(folder, L"/v/b"), folder);              // read from config.ini: bytes kept
}

TEST(DisplayText, ShowsEscapedBytesAsReplacement) {
  EXPECT_EQ(DisplayText(SystemToWide("a\xFF\xFE.avi")), L"a\uFFFD\uFFFD.avi");
  EXPECT_EQ(DisplayText(L"caf\u00E9"), L"caf\u00E9");
  EXPECT_EQ(DisplayText(Units({0xDC7F, 0xDC80, 0xDCFF, 0xDD00})), Units({0xDC7F, 0xFFFD, 0xFFFD, 0xDD00}));
}

TEST(WideToSystem, RoundTripsAndJoinsSurrogates) {
  const std::wstring samples[] = {L"", L"plain", L"\u00E9t\u00E9", L"\u4E2D\u6587/\u0444\u0430\u0439\u043B",
                                  L"\U0001F600"};
  for (const auto& s : samples) EXPECT_EQ(SystemToWide(WideToSystem(s)), s);
  std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  EXPECT_EQ(WideToSystem(pair), "\xF0\x9F\x98\x80");
  std::wstring lone = {static_cast<wchar_t>(0xD83D), L'x'};
  EXPECT_EQ(WideToSystem(lone), "\xEF\xBF\xBDx");
}

TEST(JoinLines, OneNewlineBetweenLinesNoneAfter) {
  EXPECT_EQ(JoinLines({}), L"");
  EXPECT_EQ(JoinLines({L"a"}), L"a");
  EXPECT_EQ(JoinLines({L"a", L"b c"}), L"a\nb c");
  EXPECT_EQ(JoinLines({L"", L"b", L""}), L"\nb\n");  // empty lines keep their place
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
