// Tree shapes the compiler builds, including malformed input and the
// numbering and resolution steps after parsing.
#include "regex/compiler.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "regex/pattern.h"
#include "regex/regex_describe_test_util.h"

namespace cw {
namespace {

using testing::DescribePattern;

struct ShapeCase {
  const wchar_t* pattern;
  const char* tree;
  int highest_group;
};

void PrintTo(const ShapeCase& c, std::ostream* out) {
  *out << "pattern ";
  for (const wchar_t* p = c.pattern; *p; ++p) *out << testing::DescribeUnit(static_cast<uint32_t>(*p));
}

class CompilerShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CompilerShapeTest, BuildsTree) {
  const ShapeCase& c = GetParam();
  CPattern pattern(c.pattern);
  EXPECT_EQ(DescribePattern(pattern), c.tree);
  EXPECT_EQ(pattern.HighestGroup(), c.highest_group);
}

const ShapeCase kShapes[] = {
    // Runs of literals and what a quantifier binds to.
    {L"abc", "str'abc'", 0},
    {L"ab*", "seq(str'a',greedy{0,+2147483647}(str'b'))", 0},
    {L"a**", "seq(greedy{0,+2147483647}(str'a'),str'*')", 0},
    {L"*a", "str'*a'", 0},
    {L"a}b", "seq(str'a',str'}b')", 0},
    {L"frame=([\\d ]{1,20})fps=", "seq(str'frame=',seq((1,greedy{1,+19}([ {[0-9]}]),)1),str'fps=')", 1},
    // Quantifier forms.
    {L"a{3}?", "rep{3}(str'a')", 0},
    {L"a{3}+", "rep{3}(str'a')", 0},
    {L"a{2,}", "greedy{2,+2147483645}(str'a')", 0},
    {L"a{5,2}", "rep{5}(str'a')", 0},
    {L"a{ 2 , 4 }", "greedy{2,+2}(str'a')", 0},
    {L"a{,3}b", "seq(empty,str'b')", 0},
    {L"a{0}b", "seq(empty,str'b')", 0},
    {L"a{x}", "empty", 0},
    {L"a+?", "lazy{1,+2147483646}(str'a')", 0},
    {L"a??", "lazy{0,+1}(str'a')", 0},
    {L"a++", "poss{1,+2147483646}(str'a')", 0},
    {L"a{1234567}", "rep{123456}(str'a')", 0},
    {L"{2}", "seq(str'{2',str'}')", 0},
    // Classes.
    {L"[a-]", "[a-]", 0},
    {L"[]", "[]", 0},
    {L"[^]", "[^]", 0},
    {L"[^]a]", "seq([^],str'a]')", 0},
    {L"[z-a]", "[z-a]", 0},
    {L"[\\d-z]", "[-z{[0-9]}]", 0},
    {L"[[:digit:]x]", "[x{posix:digit}]", 0},
    {L"[:^digit:]", "posix:^digit", 0},
    {L"[:nonsense:]", "posix:none", 0},
    {L"[:xdigit:]", "posix:xdigit", 0},
    {L"[\\b\\n\\]]", "[\\x08\\x0a]]", 0},
    {L".", "[^\\x0a]", 0},
    {L"(?s).", "seq(empty,[^])", 0},
    {L"\\w\\W", "seq([A-Za-z0-9_],[^A-Za-z0-9_])", 0},
    {L"\\s\\S\\D", "seq([ \\x09\\x0d\\x0a],[^ \\x09\\x0d\\x0a],[^0-9])", 0},
    {L"(?<=\\s)", "assert([ \\x09\\x0d\\x0a\\x0c\\x0b]/r)", 0},
    // Ignore-case closure of classes.
    {L"(?i)[a-c]", "seq(empty,[a-cA-C])", 0},
    {L"(?i)[xY]", "seq(empty,[xYXy])", 0},
    {L"(?i)[A-z]", "seq(empty,[A-z])", 0},
    {L"(?i)[W-c]", "seq(empty,[W-cw-zA-C])", 0},
    // Escapes, quoting and comments.
    {L"\\x41\\x{41}\\u0041", "str'AAA'", 0},
    {L"\\xg", "str'xg'", 0},
    {L"\\u{1F600}", "str'\\xf600'", 0},
    {L"\\.\\\\", "str'.\\'", 0},
    {L"a\\", "str'a\\'", 0},
    {L"\\Qa.b\\E.", "seq(str'a.b',[^\\x0a])", 0},
    {L"\\LAB\\Ec", "str'abc'", 0},
    {L"\\UaB", "str'AB'", 0},
    {L"a(?#note)b", "str'ab'", 0},
    {L"ab(?#note", "str'ab'", 0},
    {L"a#b c", "str'a#b c'", 0},
    // Malformed input.
    {L"ab)cd", "str'ab'", 0},
    {L"(ab", "seq((1,str'ab',)1)", 1},
    {L"", "empty", 0},
    // Alternatives and modifiers.
    {L"a|b|", "alt(str'a'|str'b'|empty)", 0},
    {L"(?i)ab|c", "alt(seq(empty,str'ab'/i)|str'c'/i)", 0},
    {L"(?i:a)b", "seq(str'a'/i,str'b')", 0},
    {L"(?i)a(?-i)b", "seq(empty,str'a'/i,empty,str'b')", 0},
    {L"((?i)a)b", "seq(seq((1,seq(empty,str'a'/i),)1),str'b')", 1},
    {L"(?m)^$", "seq(empty,b3,b4)", 0},
    {L"(?i(a))", "seq((1,str'a'/i,)1)", 1},
    // Boundaries.
    {L"^$\\A\\z\\Z\\b\\B", "seq(b0,b1,b0,b1,b2,b7,!b7)", 0},
    {L"\\G", "empty", 0},
    {L"(?g)\\G", "seq(empty,G)", 0},
    // Groups.
    {L"(a)(?<x>b)(c)", "seq(seq((1,str'a',)1),seq((3,str'b',)3),seq((2,str'c',)2))", 3},
    {L"(?<x>a)(?<X>b)", "seq(seq((1,str'a',)1),seq((1,str'b',)1))", 1},
    {L"(?P<x>a)(?'y'b)", "seq(seq((1,str'a',)1),seq((2,str'b',)2))", 2},
    {L"(?<4>a)(?<x>b)", "seq(seq((4,str'a',)4),seq((1,str'b',)1))", 4},
    {L"(?:a|b)c", "seq(alt(str'a'|str'b'),str'c')", 0},
    {L"(?>a|ab)c", "seq(atomic(alt(str'a'|str'ab')),str'c')", 0},
    {L"(?=x)(?!y)", "seq(assert(str'x'),!assert(str'y'))", 0},
    {L"(?<=ab)c", "seq(assert(str'ab'/r),str'c')", 0},
    {L"(?<!a(b))", "!assert(seq(str'a'/r,seq()1,str'b'/r,(1)/r)/r)", 1},
    // Back-references.
    {L"(a)\\1", "seq(seq((1,str'a',)1),\\1)", 1},
    {L"\\0\\k\\12", "seq(\\0,\\0,\\12)", 0},
    {L"\\1234", "seq(\\123,str'4')", 0},
    {L"(?<n>a)\\k<n>\\k'N'\\g<1>", "seq(seq((1,str'a',)1),\\1,\\1,\\1)", 1},
    {L"\\k<zz>", "\\-3", 0},
    {L"(?i)(a)\\1", "seq(empty,seq((1,str'a'/i,)1),\\1/i)", 1},
    // Recursion.
    {L"(a(?R)?)", "seq((1,seq(str'a',greedy{0,+1}(recurse0)),)1)", 1},
    {L"(?1)(a)", "seq(recurse1,seq((1,str'a',)1))", 1},
    {L"(? 1)(a)", "seq(recurse1,seq((1,str'a',)1))", 1},
    {L"(?5)", "recurse5!", 0},
    {L"(?R<n>)(?<n>a)", "seq(recurse1,seq((1,str'a',)1))", 1},
    {L"(?R<q>)", "recurse-3!", 0},
    // Conditions.
    {L"(?(1)a|b|c)", "cond1(;str'a';alt(str'b'|str'c'))", 0},
    {L"(?(1)a)", "cond1(;str'a';)", 0},
    {L"(?(?=a)ab|cd)", "cond-1(assert(str'a');str'ab';str'cd')", 0},
    {L"(?<x>y)(?(x)a|b)", "seq(seq((1,str'y',)1),cond1(;str'a';str'b'))", 1},
    {L"(?(x)a|b)", "cond-1(assert(str'x');str'a';str'b')", 0},
};

INSTANTIATE_TEST_SUITE_P(Shapes, CompilerShapeTest, ::testing::ValuesIn(kShapes));

TEST(CompilerTest, NullPatternHasNoTop) {
  CPattern pattern(nullptr);
  EXPECT_EQ(pattern.Compiled()->Top(), nullptr);
  EXPECT_FALSE(pattern.Search(L"", 0).IsFound());
  EXPECT_FALSE(pattern.Search(L"abc", 0).IsFound());
}

TEST(CompilerTest, GroupListHoldsTopThenPlainThenNamedGroups) {
  CPattern pattern(L"(?<x>a)(b)(c)");
  const auto& groups = pattern.Compiled()->Groups();
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0], pattern.Compiled()->Top());
  EXPECT_EQ(testing::Describe(groups[1]), "seq((1,str'b',)1)");
  EXPECT_EQ(testing::Describe(groups[2]), "seq((2,str'c',)2)");
  EXPECT_EQ(testing::Describe(groups[3]), "seq((3,str'a',)3)");
}

TEST(CompilerTest, StockElementsAreSharedWithinAPattern) {
  CPattern pattern(L"\\d\\d");
  auto* list = dynamic_cast<const CListElxT<wchar_t>*>(pattern.Compiled()->Top());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->children_.Size(), 2);
  EXPECT_EQ(list->children_[0], list->children_[1]);
}

TEST(CompilerTest, NestingBeyondTheLimitCompilesAsEmpty) {
  const int depth = kRegexMaxNesting + 100;
  std::wstring text = std::wstring(depth, L'(') + L"a" + std::wstring(depth, L')') + L"b";
  CPattern pattern(text.c_str());
  // Groups up to the limit exist; the deeper ones and the 'a' were skipped,
  // while the text after the skipped part is still compiled.
  EXPECT_GE(pattern.HighestGroup(), kRegexMaxNesting - 2);
  EXPECT_LT(pattern.HighestGroup(), depth);
  const CMatchSpansT found = pattern.Search(L"xb", 0);
  ASSERT_TRUE(found.IsFound());
  EXPECT_EQ(found.GroupBegin(0), 1);
  EXPECT_EQ(found.GroupEnd(0), 2);
}

TEST(CompilerTest, ReadDecimalTakesAtMostSixDigitsAndSurroundingSpace) {
  struct Case {
    std::u32string text;
    int used;
    int value;
  };
  const Case cases[] = {
      {U" 12 ", 4, 12}, {U"1234567", 6, 123456}, {U"x1", 0, -1}, {U"", 0, -1}, {U"7,", 1, 7},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> units(c.text.begin(), c.text.end());
    int value = -1;
    EXPECT_EQ(RegexReadDecimal(units.data(), static_cast<int>(units.size()), &value), c.used);
    EXPECT_EQ(value, c.value);
  }
}

}  // namespace
}  // namespace cw
