// Search results (found flag and every group span) for the matcher, including
// the capture-stack cuts, POSIX classes above 255 and the bounds on recursion
// and work.
#include "regex/matcher.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "regex/compiler.h"
#include "regex/pattern.h"
#include "regex/regex_describe_test_util.h"

namespace cw {
namespace {

// Expected spans: {} for not found, else begin/end pairs for groups 0..H.
struct SpanCase {
  const wchar_t* pattern;
  std::wstring text;
  int start;
  std::vector<int> spans;
};

void PrintTo(const SpanCase& c, std::ostream* out) {
  *out << "pattern ";
  for (const wchar_t* p = c.pattern; *p; ++p) *out << testing::DescribeUnit(static_cast<uint32_t>(*p));
  *out << " text ";
  for (wchar_t u : c.text) *out << testing::DescribeUnit(static_cast<uint32_t>(u));
  *out << " start " << c.start;
}

std::vector<int> SpansOf(const CMatchSpansT& result) {
  std::vector<int> spans;
  if (!result.IsFound()) return spans;
  for (int g = 0; g <= result.HighestGroup(); ++g) {
    spans.push_back(result.GroupBegin(g));
    spans.push_back(result.GroupEnd(g));
  }
  return spans;
}

class MatcherSpanTest : public ::testing::TestWithParam<SpanCase> {};

TEST_P(MatcherSpanTest, FindsSpans) {
  const SpanCase& c = GetParam();
  CPattern pattern(c.pattern);
  const CMatchSpansT result =
      pattern.Search(c.text.data(), static_cast<int>(c.text.size()), c.start);
  EXPECT_EQ(SpansOf(result), c.spans);
  if (result.IsFound()) {
    EXPECT_EQ(result.spans.size(), 2u + 2u * (result.HighestGroup() + 1));
    EXPECT_EQ(result.HighestGroup(), pattern.HighestGroup());
  } else {
    EXPECT_TRUE(result.spans.empty());
  }
}

const SpanCase kSpans[] = {
    // The analysis patterns.
    {L"frame=([\\d ]{1,20})fps=", L"xx frame=  12 fps= 3", 0, {3, 18, 9, 14}},
    {L"frame=([\\d ]{1,20})fps=", L"xx frame=  12 fps= 3", 4, {}},
    {L"Duration: (\\d{2}:\\d{2}:\\d{2}\\.\\d{1,3}),", L"  Duration: 00:01:02.50, start", 0, {2, 24, 12, 23}},
    {L" bitrate= ([\\d\\.]{1,20})kbits", L"size= 1kB bitrate= 1677.7kbits/s", 0, {9, 30, 19, 25}},
    {L", ([\\d\\.]{2,10}) tbr, ([\\w\\.]{2,10}) tbn, ([\\w\\.]{2,10}) tbc",
     L"25 fps, 25 tbr, 12800 tbn, 50 tbc",
     0,
     {6, 33, 8, 10, 16, 21, 27, 29}},
    // Alternation, atomic groups, possessive and lazy repeats.
    {L"(a|ab)c", L"abc", 0, {0, 3, 0, 2}},
    {L"(?>a|ab)c", L"abc", 0, {}},
    {L"a++a", L"aaa", 0, {}},
    {L"a*?b", L"aaab", 0, {0, 4}},
    {L"(a)|b", L"b", 0, {0, 1, -1, -1}},
    {L"(a|ab)(c|bcd)(d*)", L"abcd", 0, {0, 4, 0, 1, 1, 4, 4, 4}},
    {L"(a+?)(a*)", L"aaa", 0, {0, 3, 0, 1, 1, 3}},
    {L"(a|b)*?c", L"abac", 0, {0, 4, 2, 3}},
    {L"(?:a|ab)*c", L"ababc", 0, {0, 5}},
    {L"(?:a|ab)*?c", L"ababc", 0, {0, 5}},
    {L"(?:a|ab)*+c", L"ababc", 0, {4, 5}},
    {L"a{2,3}", L"aaaa", 0, {0, 3}},
    {L"a{2,3}?", L"aaaa", 0, {0, 2}},
    {L"(?:ab){2}", L"abababx", 0, {0, 4}},
    {L"x*", L"abc", 0, {0, 0}},
    {L"(a*)*b", L"aab", 0, {0, 3, 0, 2}},
    {L"(a*)+b", L"b", 0, {0, 1, 0, 0}},
    // Look-around.
    {L"(?=(a))a", L"a", 0, {0, 1, 0, 1}},
    {L"(?<=ab)c", L"abc", 0, {2, 3}},
    {L"(?<=(a)b)c", L"abc", 0, {2, 3, 0, 1}},
    {L"(?<=a+)b", L"aab", 0, {2, 3}},
    {L"(?<!a)b", L"abcb", 0, {3, 4}},
    {L"a(?!b)", L"abac", 0, {2, 3}},
    {L"(?<=\\s)a", L"\fa", 0, {1, 2}},
    {L"\\s", L"\f\v", 0, {}},
    // Anchors and boundaries.
    {L"$", L"ab", 0, {2, 2}},
    {L"$", L"ab\n", 0, {3, 3}},
    {L"\\Z", L"ab\n", 0, {2, 2}},
    {L"\\Z", L"ab\r\n", 0, {2, 2}},
    {L"^a", L"ba", 0, {}},
    {L"\\bb", L"a b", 0, {2, 3}},
    {L"\\Bb", L"ab", 0, {1, 2}},
    {L"(?m)^b", L"a\rb", 0, {2, 3}},
    {L"(?m)^\\n", L"a\r\n", 0, {}},
    {L"(?m)a$", L"a\r\n", 0, {0, 1}},
    {L"(?m)$\\n", L"a\r\nb\n", 0, {4, 5}},
    {L"\\Ga", L"ba", 0, {1, 2}},
    {L"(?g)\\Ga", L"ba", 0, {}},
    {L"(?g)\\Ga", L"ba", 1, {1, 2}},
    // Start positions.
    {L"z*", L"abc", 3, {3, 3}},
    {L"z*", L"abc", 4, {}},
    {L"a", L"aba", -5, {0, 1}},
    {L"a", L"aba", 1, {2, 3}},
    {L"", L"abc", 1, {1, 1}},
    // Modifiers and case.
    {L"(?i)ab|c", L"xAB", 0, {1, 3}},
    {L"(?i)ab|c", L"C", 0, {0, 1}},
    {L"(?i:a)b", L"AB", 0, {}},
    {L"(?i:a)b", L"Ab", 0, {0, 2}},
    {L"(?i)[^a-c]", L"BCd", 0, {2, 3}},
    {L"(?s)a.b", L"a\nb", 0, {0, 3}},
    {L"a.b", L"a\nb", 0, {}},
    // Classes.
    {L"[^]a]", L"xa]", 0, {0, 3}},
    {L"[]", L"abc", 0, {}},
    {L"[[:digit:]x]+", L"ab5x6", 0, {2, 5}},
    {L"[:^digit:]", L"5a", 0, {1, 2}},
    {L"[[:alpha:]]", L"\u00e9\u0100z", 0, {2, 3}},
    {L"[[:^alpha:]]", L"z\u0100", 0, {1, 2}},
    {L"[:nonsense:]|b", L"ab", 0, {1, 2}},
    {L"[\\x{100}-\\x{200}]", L"a\u0150", 0, {1, 2}},
    {L"[^a]", L"a\u0150", 0, {1, 2}},
    {L"ab)cd", L"xabcd", 0, {1, 3}},
    // Back-references.
    {L"(a+)b\\1", L"aabaa", 0, {0, 5, 0, 2}},
    {L"(a+)b\\1", L"aaba", 0, {1, 4, 1, 2}},
    {L"(?i)(a)\\1", L"aA", 0, {0, 2, 0, 1}},
    {L"(a)?\\1", L"bb", 0, {}},
    {L"(?<n>x)\\k<n>", L"axx", 0, {1, 3, 1, 2}},
    {L"(a)\\k<zz>|b", L"ab", 0, {1, 2, -1, -1}},
    {L"(?<=\\1(a))b", L"aab", 0, {2, 3, 1, 2}},
    // Conditions.
    {L"(a)?(?(1)b|c)", L"ab", 0, {0, 2, 0, 1}},
    {L"(a)?(?(1)b|c)", L"c", 0, {0, 1, -1, -1}},
    {L"(?(?=a)ab|cd)", L"xcd", 0, {1, 3}},
    {L"(?<n>a)?(?(n)b|c)", L"c", 0, {0, 1, -1, -1}},
    {L"(?(x)xa|b)", L"xa", 0, {0, 2}},
    // Recursion.
    {L"\\((?:[^()]|(?R))*\\)", L"x(a(b)c)", 0, {1, 8}},
    {L"(a(?1)?b)", L"aabb", 0, {0, 4, 0, 4}},
    {L"(a(?R)?)", L"aaaa", 0, {0, 4, 0, 4}},
    {L"(?5)b", L"b", 0, {0, 1}},
    // Left recursion does not match instead of repeating itself without end.
    {L"(a|(?1)b)", L"abb", 0, {0, 1, 0, 1}},
    {L"(?:(?R)|x)y", L"xyy", 0, {0, 3}},
    {L"(b|(?1)a|(?1)c)", L"bcz", 0, {0, 1, 0, 1}},
    // Capture-stack cuts never leave a span from a discarded path.
    {L"(?>(a))x|ab", L"ab", 0, {0, 2, -1, -1}},
    {L"(?:(?>(a))x|a)\\1", L"aa", 0, {}},
    {L"(?:(a)|b)++x|ab", L"ab", 0, {0, 2, -1, -1}},
    {L"(?=(a))b|a", L"a", 0, {0, 1, -1, -1}},
    {L"(?(?=(a))x|y)|a", L"a", 0, {0, 1, -1, -1}},
    {L"(?!(a)b)a", L"ac", 0, {0, 1, -1, -1}},
    // NUL units inside a text of known length.
    {L"\\x00b", std::wstring(L"x\0b", 3), 0, {1, 3}},
};

INSTANTIATE_TEST_SUITE_P(Spans, MatcherSpanTest, ::testing::ValuesIn(kSpans));

TEST(MatcherTest, NulTerminatedSearchStopsAtTheNul) {
  CPattern pattern(L"b");
  const wchar_t text[] = {L'a', 0, L'b', 0};
  EXPECT_FALSE(pattern.Search(text, 0).IsFound());
  EXPECT_TRUE(pattern.Search(text, 3, 0).IsFound());
}

TEST(MatcherTest, NullTextIsEmpty) {
  CPattern empty(L"");
  const CMatchSpansT found = empty.Search(nullptr, 0);
  ASSERT_TRUE(found.IsFound());
  EXPECT_EQ(found.GroupBegin(0), 0);
  EXPECT_FALSE(CPattern(L"a").Search(nullptr, 0).IsFound());
}

TEST(MatcherTest, SpansReadersGiveMinusOneOutsideTheResult) {
  const CMatchSpansT none;
  EXPECT_FALSE(none.IsFound());
  EXPECT_EQ(none.HighestGroup(), 0);
  EXPECT_EQ(none.GroupBegin(0), -1);
  const CMatchSpansT found = CPattern(L"(a)").Search(L"a", 0);
  EXPECT_EQ(found.GroupEnd(1), 1);
  EXPECT_EQ(found.GroupBegin(2), -1);
  EXPECT_EQ(found.GroupEnd(-1), -1);
}

TEST(MatcherTest, WorksWithSixteenBitUnits) {
  CPatternT<char16_t> pattern(u"(\\d+)x");
  const CMatchSpansT found = pattern.Search(u"ab12x", 0);
  ASSERT_TRUE(found.IsFound());
  EXPECT_EQ(found.GroupBegin(1), 2);
  EXPECT_EQ(found.GroupEnd(1), 4);
  // Literal prefix and required literal filters on 16-bit texts.
  CPatternT<char16_t> prefixed(u"ab\\d{1,2}yz");
  const CMatchSpansT later = prefixed.Search(u"ab1xz ab12yz", 0);
  ASSERT_TRUE(later.IsFound());
  EXPECT_EQ(later.GroupBegin(0), 6);
  EXPECT_FALSE(prefixed.Search(u"ab1xz ab12yz", 7).IsFound());
}

TEST(MatcherTest, FlagsGivenToTheConstructorApply) {
  EXPECT_TRUE(CPattern(L"AB", IGNORECASE).Search(L"ab", 0).IsFound());
  EXPECT_TRUE(CPattern(L"^b", MULTILINE).Search(L"a\nb", 0).IsFound());
  EXPECT_TRUE(CPattern(L"a.b", SINGLELINE).Search(L"a\nb", 0).IsFound());
  EXPECT_FALSE(CPattern(L"\\Gb", GLOBAL).Search(L"ab", 0).IsFound());
  // Right to left is internal to look-behind: ignored at the top.
  EXPECT_EQ(CPattern(L"ab", RIGHTTOLEFT).Search(L"xab", 0).GroupBegin(0), 1);
}

// Recursion deeper than the pattern's limit does not match at that level: the
// search ends with the longest match that fits, never a stack overflow.
TEST(MatcherTest, DeepRecursionEndsWithAShorterMatch) {
  CPattern pattern(L"(a(?R)?)");
  const int limit = pattern.Compiled()->RecursionLimit();
  ASSERT_GT(limit, 100);
  const std::wstring text(1000000, L'a');
  const CMatchSpansT found = pattern.Search(text.data(), static_cast<int>(text.size()), 0);
  ASSERT_TRUE(found.IsFound());
  EXPECT_EQ(found.GroupBegin(0), 0);
  EXPECT_EQ(found.GroupEnd(0), limit + 1);
}

TEST(MatcherTest, BalancedRecursionWithinTheLimitIsExact) {
  CPattern pattern(L"^(\\((?1)*\\))$");
  const std::wstring text = std::wstring(300, L'(') + std::wstring(300, L')');
  EXPECT_TRUE(pattern.Search(text.c_str(), 0).IsFound());
  EXPECT_FALSE(pattern.Search((text + L")").c_str(), 0).IsFound());
}

TEST(MatcherTest, LongTextsUnderRepeatsUseTheHeapNotTheStack) {
  std::wstring text;
  for (int i = 0; i < 500000; ++i) text += (i % 2) ? L'b' : L'a';
  text += L'c';
  CPattern pattern(L"^(?:(a)|b)*c");
  const CMatchSpansT found = pattern.Search(text.c_str(), 0);
  ASSERT_TRUE(found.IsFound());
  EXPECT_EQ(found.GroupEnd(0), static_cast<int>(text.size()));
  EXPECT_EQ(found.GroupBegin(1), static_cast<int>(text.size()) - 3);
  // A repeat that must give everything back again.
  CPattern backtracking(L"^(?:a|b)*x");
  EXPECT_FALSE(backtracking.Search(text.c_str(), 0).IsFound());
}

TEST(MatcherTest, StepLimitEndsCatastrophicBacktrackingAsNotFound) {
  const std::wstring text = std::wstring(40, L'a') + L"c";
  CPattern pattern(L"(a+)+b");
  pattern.SetStepLimit(100000);
  EXPECT_FALSE(pattern.Search(text.c_str(), 0).IsFound());
  // Within the limit results are the ordinary ones.
  const CMatchSpansT found = pattern.Search(L"aaab", 0);
  ASSERT_TRUE(found.IsFound());
  EXPECT_EQ(found.GroupEnd(0), 4);
  EXPECT_EQ(found.GroupBegin(1), 0);
  EXPECT_EQ(found.GroupEnd(1), 3);
}

// The start filter skips positions only where no match can start.
TEST(MatcherTest, StartFilterAgreesWithTryingEveryPosition) {
  const wchar_t* patterns[] = {L"abc",       L"(?i)abc",  L"[b-d]x",   L"(?:ab|cd)e", L"a?b",
                               L"(?=b)\\w",  L"\\bxy",    L"(x)\\1",   L"[^a]b",      L"(?:a{0}|c)d",
                               L"[:alpha:]2", L"(?<=a)b", L"(?:)x",    L"(c|)d",
                               // A literal required at a bounded distance after the start.
                               L"a\\d{1,3}xy", L"b.{2,5}cd", L"x(?:a|bc)yz", L"(?:(?(?<=))[^}]){1,}\\?",
                               L"[ab]+?c", L"\\w{2}\\d\\d?xy"};
  const std::wstring text = L"aabxABCcde cd ab\u0100bxy xx b2 abcd a12xy a1234xy bxxxxcd b12cd xbcyz 0?a99xy";
  for (const wchar_t* p : patterns) {
    CPattern pattern(p);
    for (int start = 0; start <= static_cast<int>(text.size()); ++start) {
      const CMatchSpansT fast = pattern.Search(text.c_str(), start);
      // The same search made position by position with an anchored pattern.
      CMatchSpansT slow;
      const std::wstring anchored = std::wstring(L"\\G(?:") + p + L")";
      CPattern at(anchored.c_str(), GLOBAL);
      for (int position = start; position <= static_cast<int>(text.size()) && !slow.IsFound(); ++position) {
        slow = at.Search(text.c_str(), position);
      }
      EXPECT_EQ(fast.GroupBegin(0), slow.GroupBegin(0)) << testing::DescribeUnit(p[0]) << " from " << start;
      EXPECT_EQ(fast.GroupEnd(0), slow.GroupEnd(0));
    }
  }
}

}  // namespace
}  // namespace cw
