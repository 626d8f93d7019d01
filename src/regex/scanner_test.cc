// Tokens the scanner makes: which characters are special where, escapes,
// quoting and comments.
#include "regex/scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "regex/regex_describe_test_util.h"

namespace cw {
namespace {

// Tokens as text: a literal as its unit, a special as {unit}, up to the end token.
std::string Scan(const std::wstring& pattern) {
  CScannerT<wchar_t> scanner(pattern.data(), static_cast<int>(pattern.size()));
  std::string out;
  for (int guard = 0; guard < 200; ++guard) {
    const RegexToken token = scanner.Next();
    if (token.IsEnd()) return out;
    const std::string unit = testing::DescribeUnit(token.unit);
    out += token.special ? "{" + unit + "}" : unit;
  }
  return out + "...";
}

struct ScanCase {
  std::wstring pattern;
  const char* tokens;
};

TEST(ScannerTest, MakesTokens) {
  const ScanCase cases[] = {
      {L"a$)*+.?{|}b", "a{$}{)}{*}{+}{.}{?}{{}{|}{}}b"},
      {L"[$)*+.?{|}]", "{[}$)*+.?{|}{]}"},
      {L"a-b[a-b]", "a-b{[}a{-}b{]}"},
      {L"][]]", "]{[}{]}]"},
      {L"[[:alpha:]]", "{[}{[}{:}alpha:{]}{]}"},
      {L"[a[b]", "{[}a[b{]}"},
      {L"[:^x:]", "{[}{:}{^}x:{]}"},
      {L"a^[^^]", "a{^}{[}{^}^{]}"},
      {L":a", ":a"},
      {L"\\1\\23", "{\\}1{\\}23"},
      {L"\\A\\B\\D\\S\\W\\Z\\d\\g\\k\\s\\w\\z", "{A}{B}{D}{S}{W}{Z}{d}{g}{k}{s}{w}{z}"},
      {L"\\b[\\b]", "{b}{[}\\x08{]}"},
      {L"\\G[\\G]", "{G}{[}{]}"},
      {L"\\a\\f\\n\\r\\t\\v\\e", "\\x07\\x0c\\x0a\\x0d\\x09\\x0b\\x1b"},
      {L"\\x41\\x4\\xg\\x", "A\\x04xgx"},
      {L"\\u00411\\u4", "A1\\x04"},
      {L"\\x{263a}\\u{}\\x{12", "\\x263a\\x00\\x12"},
      {L"\\x{123456789}", "\\x5678"},
      {L"\\.\\(\\\\", ".(\\"},
      {L"a\\", "a\\"},
      {L"\\Qa*[\\E*", "a*[{*}"},
      {L"\\Qa\\Qb", "a\\Qb"},
      {L"\\LaB-C\\Ed", "ab-cd"},
      {L"\\UaB\\LcD", "AB\\LCD"},
      {L"\\Ea", "a"},
      {L"a(?#c)b(c", "ab{(}c"},
      {L"a(?#never closed", "a"},
      {L"[(?#x)]", "{[}{]}"},
      {L"# x", "# x"},
  };
  for (const ScanCase& c : cases) {
    EXPECT_EQ(Scan(c.pattern), c.tokens) << std::string(c.pattern.begin(), c.pattern.end());
  }
}

TEST(ScannerTest, TokensCarryPositionAndLength) {
  const std::wstring pattern = L"a\\x41\\d";
  CScannerT<wchar_t> scanner(pattern.data(), static_cast<int>(pattern.size()));
  const RegexToken a = scanner.Next();
  const RegexToken hex = scanner.Next();
  const RegexToken digit = scanner.Next();
  const RegexToken end = scanner.Next();
  EXPECT_EQ(a.position, 0);
  EXPECT_EQ(a.length, 1);
  EXPECT_EQ(hex.position, 1);
  EXPECT_EQ(hex.length, 4);
  EXPECT_EQ(digit.position, 5);
  EXPECT_EQ(digit.length, 2);
  EXPECT_TRUE(end.IsEnd());
  EXPECT_EQ(end.unit, 0u);
  EXPECT_EQ(end.position, 7);
  EXPECT_TRUE(scanner.Next().IsEnd());
}

}  // namespace
}  // namespace cw
