// Tests of the random pattern and text generator of the differential tests.
#include <gtest/gtest.h>

#include "regex/pattern_generator.h"
#include "regex/pcre2_oracle.h"

namespace cw::testing {

// ---- tests of the generator ----

namespace {

TEST(PatternGenerator, SameSeedGivesSamePatternsAndTexts) {
  PatternGenerator a(42, {}), b(42, {});
  for (int i = 0; i < 200; ++i) {
    GeneratedPattern pa = a.NextPattern(), pb = b.NextPattern();
    ASSERT_EQ(Render(pa), Render(pb));
    ASSERT_EQ(a.TextsFor(pa, 3), b.TextsFor(pb, 3));
  }
}

// Every generated pattern keeps the rules and is accepted by PCRE2; texts
// never hold the units that the two engines read differently.
TEST(PatternGenerator, PatternsKeepTheRulesAndTextsAvoidDifferingUnits) {
  PatternGenerator gen(7, {});
  int with_groups = 0, with_behind = 0, named = 0;
  for (int i = 0; i < 3000; ++i) {
    GeneratedPattern p = gen.NextPattern();
    std::wstring text = Render(p);
    ASSERT_EQ(Validate(p), "") << Printable(text);
    Pcre2Oracle oracle(text);
    ASSERT_TRUE(oracle.ok()) << Printable(text) << ": " << oracle.error();
    with_groups += oracle.HighestGroup() > 0;
    with_behind += text.find(L"(?<=") != std::wstring::npos || text.find(L"(?<!") != std::wstring::npos;
    named += p.named;
    for (const auto& t : gen.TextsFor(p, 4)) {
      ASSERT_EQ(t.find_first_of(L"\v\f"), std::wstring::npos);
      if (AnchorsReadLineBreaks(p)) {
        ASSERT_EQ(t.find(L'\r'), std::wstring::npos) << Printable(text);
      }
    }
  }
  // The corpus is varied enough to be worth comparing.
  EXPECT_GT(with_groups, 600);
  EXPECT_GT(with_behind, 100);
  EXPECT_GT(named, 150);
}


TEST(PatternGenerator, ShrinkKeepsTheFailureAndRemovesTheRest) {
  // Shrink patterns to the smallest valid one that still renders the needle.
  int shrunk = 0;
  PatternGenerator gen(11, {});
  for (int i = 0; i < 400; ++i) {
    GeneratedPattern p = gen.NextPattern();
    std::wstring text = Render(p);
    if (text.find(L'b') == std::wstring::npos || text.size() < 8) continue;
    GeneratedPattern small = Shrink(p, [](const GeneratedPattern& c) { return Render(c).find(L'b') != std::wstring::npos; });
    std::wstring result = Render(small);
    EXPECT_EQ(Validate(small), "");
    EXPECT_NE(result.find(L'b'), std::wstring::npos);
    EXPECT_LT(result.size(), text.size()) << Printable(text) << " -> " << Printable(result);
    shrunk += result.size() <= 3;
  }
  EXPECT_GT(shrunk, 20);
}

}  // namespace
}  // namespace cw::testing
