// Checks that the PCRE2 reference matcher is set up the way the differential
// tests assume.
#include <gtest/gtest.h>

#include "regex/pcre2_oracle.h"

namespace cw::testing {

namespace {

// The oracle settings the differential tests depend on: if any of these
// changed, the generator would report differences that are not faults.
TEST(Pcre2Oracle, ReadsAnchorsLineBreaksAndCaseLikeOurEngine) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* text;
    std::vector<int> spans;  // empty: not found
  };
  const Case cases[] = {
      {L"b$", L"ab\n", {}},                   // '$' only at the very end
      {L"$", L"ab\n", {3, 3}},
      {L"(?m)^", L"a\n", {0, 0}},
      {L"(?m)(?<=\\n)^", L"a\n", {2, 2}},     // '^' after a final line feed
      {L"a.b", L"a\rb", {0, 3}},              // only LF is a line break
      {L"(?m)a$", L"a\rb", {}},
      {L"(?i)\u00e9", L"\u00c9", {}},          // no case folding above ASCII
      {L"\\w", L"\u00e9x", {1, 2}},
      {L"(a)|b", L"b", {0, 1, -1, -1}},
      {L"(?<=ab)c", L"abc", {2, 3}},
      {L"(?:a+(?>b)?+){2}", L"aa", {0, 2}},  // needs auto-possessification off
      {L"(?=A)x*A", L"A", {0, 1}},           // needs the start optimisations off
      {L"(?(?=^)^)z", L"Az", {1, 2}},
  };
  for (const auto& c : cases) {
    Pcre2Oracle oracle(c.pattern);
    ASSERT_TRUE(oracle.ok()) << oracle.error();
    std::vector<int> spans;
    OracleOutcome outcome = oracle.Search(c.text, 0, &spans);
    EXPECT_EQ(outcome, c.spans.empty() ? OracleOutcome::kNotFound : OracleOutcome::kFound);
    EXPECT_EQ(spans, c.spans) << "pattern index " << (&c - cases);
  }
}

TEST(Pcre2Oracle, ReportsCompileErrorsAndStartOffsets) {
  Pcre2Oracle bad(L"a{2,1}");
  EXPECT_FALSE(bad.ok());
  EXPECT_FALSE(bad.error().empty());

  Pcre2Oracle oracle(L"(x)(y)?");
  ASSERT_TRUE(oracle.ok());
  EXPECT_EQ(oracle.HighestGroup(), 2);
  std::vector<int> spans;
  EXPECT_EQ(oracle.Search(L"xxy", 1, &spans), OracleOutcome::kFound);
  EXPECT_EQ(spans, (std::vector<int>{1, 3, 1, 2, 2, 3}));
  EXPECT_EQ(oracle.Search(L"xxy", -5, &spans), OracleOutcome::kFound);
  EXPECT_EQ(spans, (std::vector<int>{0, 1, 0, 1, -1, -1}));
}

}  // namespace
}  // namespace cw::testing
