// Tests of the character-level rules: unescaping, the number syntax, reading
// numbers and truncating them.
#include "json/json_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace cw::json {
namespace {

struct UnescapeCase {
  std::wstring input;
  std::wstring expected;
};

TEST(JsonUnescape, Table) {
  const UnescapeCase cases[] = {
      {L"plain text", L"plain text"},
      {L"", L""},
      {LR"(a\"b)", L"a\"b"},
      {LR"(a\\b)", L"a\\b"},
      {LR"(a\/b)", L"a/b"},
      {LR"(\b\f\n\r\t\v)", std::wstring{8, 12, 10, 13, 9, 11}},
      {LR"(a\u0041\x41\101\q)", L"aAAAq"},
      {LR"(\u00e9\u00C9)", L"\u00e9\u00c9"},
      {LR"(\uD83D\uDE00)", L"\U0001F600"},
      {LR"(\uD83Dx)", std::wstring{static_cast<wchar_t>(0xD83D), L'x'}},  // lone high surrogate kept
      {LR"(\uDE00\uD83D)", std::wstring{static_cast<wchar_t>(0xDE00), static_cast<wchar_t>(0xD83D)}},
      {LR"(\uD83D\u0041)", std::wstring{static_cast<wchar_t>(0xD83D), L'A'}},
      {LR"(\u0000)", std::wstring(1, L'\0')},
      {LR"(\xff\x0A)", std::wstring{255, 10}},
      {LR"(\377\000\777)", std::wstring{255, 0, 511}},
      {LR"(\'\q\a)", L"'qa"},
      // Digits that are not hex or octal: the escape is the letter after the backslash.
      {LR"(\uZZZZ)", L"uZZZZ"},
      {LR"(\u12G4)", L"u12G4"},
      {LR"(\xZZ)", L"xZZ"},
      {LR"(\18a)", L"18a"},
      {LR"(\1a7)", L"1a7"},
      {LR"(\17a)", L"17a"},
      {LR"(\8)", L"8"},
      // Cut short by the end of the text: kept as it is, nothing read beyond.
      {LR"(ab\)", L"ab\\"},
      {LR"(ab\u)", L"ab\\u"},
      {LR"(ab\u12)", L"ab\\u12"},
      {LR"(ab\u123)", L"ab\\u123"},
      {LR"(ab\x4)", L"ab\\x4"},
      {LR"(ab\x)", L"ab\\x"},
      {LR"(ab\1)", L"ab\\1"},
      {LR"(ab\12)", L"ab\\12"},
      {LR"(\uD83D\uDE0)", std::wstring{static_cast<wchar_t>(0xD83D)} + LR"(\uDE0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Unescape(c.input), c.expected) << "input: " << c.input.size();
}

TEST(JsonNumberSyntax, AcceptsTheLooseForms) {
  const wchar_t* valid[] = {L"0",    L"-",    L"+",     L".",      L"-.5",  L"1e+",  L"-017",  L"0.",
                            L"1.5e-3", L"123", L"0.5",  L"0e5",    L"0E-1", L"017",  L"0x",    L"0x1F",
                            L"0xabcDEF", L"1.", L".e5", L"1E5",    L"9",    L"+0",   L"-0.0e+00"};
  for (const wchar_t* t : valid) EXPECT_TRUE(IsNumberSyntax(t)) << "should pass: " << t;
}

TEST(JsonNumberSyntax, RejectsTheRest) {
  const wchar_t* invalid[] = {L"",    L"--1",  L"1-2",  L"1.2.3", L"1e5.3", L"1e",  L"00",   L"08",  L"0X1",
                              L"09",  L"0e",   L"0e.",  L"018",   L"0xg",   L"1e5e1", L"1ee5", L"a",  L"1a",
                              L"true", L"e5",  L"1.5.", L"0.5.",  L"0e5.",  L"1 2",  L"1e+-5", L"x1"};
  for (const wchar_t* t : invalid) EXPECT_FALSE(IsNumberSyntax(t)) << "should fail: " << t;
}

struct NumberCase {
  std::wstring text;
  double expected;
};

TEST(JsonReadNumber, LongestDecimalPrefix) {
  const NumberCase cases[] = {
      {L"1.9", 1.9},      {L"-1.9", -1.9},   {L"017", 17},     {L"0x1F", 0},     {L"-", 0},
      {L"+", 0},          {L".", 0},         {L"1e+", 1},      {L"1.5e-3", 1.5e-3}, {L"-.5", -0.5},
      {L"12abc", 12},     {L"abc", 0},       {L"  42", 42},    {L"\t\n\v\f\r7", 7}, {L"+3", 3},
      {L"1.", 1},         {L"1E2", 100},     {L"2e", 2},       {L"2e-", 2},      {L"inf", 0},
      {L"nan", 0},        {L"1,5", 1},       {L"", 0},         {L"12\u00e9", 12}, {L"12\u20ac", 0},
      {L"1e-400", 0},     {L"0.000", 0},     {L"  -", 0},      {L"- 1", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.expected) << c.text.size();
}

TEST(JsonReadNumber, OverflowGivesInfinityOfTheRightSign) {
  EXPECT_EQ(ReadNumber(L"1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber(L"-1e99999999999999999999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber(L"0.0001e-99999"), 0.0);
  EXPECT_EQ(ReadNumber(std::wstring(400, L'9')), std::numeric_limits<double>::infinity());
}

TEST(JsonReadNumber, IgnoresTheProcessLocale) {
  const char* commaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "fr_FR.utf8"};
  const char* chosen = nullptr;
  for (const char* name : commaLocales)
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  if (chosen == nullptr) GTEST_SKIP() << "no comma-decimal locale installed";
  const double value = ReadNumber(L"2.5");
  const double commaValue = ReadNumber(L"2,5");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(value, 2.5);
  EXPECT_EQ(commaValue, 2.0);
}

TEST(JsonTruncate, TowardZeroAndSaturated) {
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  const struct {
    double value;
    std::int64_t expected;
  } cases[] = {
      {1.9, 1},
      {-1.9, -1},
      {-0.5, 0},
      {0, 0},
      {9007199254740993.0, 9007199254740992},
      {1e300, kMax},
      {-1e300, kMin},
      {9223372036854775808.0, kMax},
      {-9223372036854775808.0, kMin},
      {std::numeric_limits<double>::infinity(), kMax},
      {-std::numeric_limits<double>::infinity(), kMin},
      {std::nan(""), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TruncateToInt64(c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace cw::json
