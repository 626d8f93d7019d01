// The PCRE2 reference matcher used by the differential tests, and checks that
// it is set up the way those tests assume.
#define PCRE2_CODE_UNIT_WIDTH 32
#include <pcre2.h>

#include <gtest/gtest.h>

#include "regex/pcre2_oracle.h"

namespace cw::testing {
namespace {

pcre2_code* Code(void* p) { return static_cast<pcre2_code*>(p); }
PCRE2_SPTR Units(const std::wstring& s) {
  static_assert(sizeof(wchar_t) == sizeof(PCRE2_UCHAR));
  return reinterpret_cast<PCRE2_SPTR>(s.data());
}

}  // namespace

Pcre2Oracle::Pcre2Oracle(const std::wstring& pattern) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  pcre2_set_newline(context, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  // Auto-possessification and the start-of-match optimisations should not
  // change results, but in this PCRE2 they do: '(?:a+(?>b)?+){2}' misses "aa",
  // '(?=A)x*A' misses "A", '(?(?=^)^)z' misses "Az". Both are turned off so
  // that the oracle matches what it reads.
  const uint32_t options = PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_CIRCUMFLEX | PCRE2_NO_AUTO_POSSESS | PCRE2_NO_START_OPTIMIZE;
  code_ = pcre2_compile(Units(pattern), pattern.size(), options, &error, &offset, context);
  pcre2_compile_context_free(context);
  if (!code_) {
    PCRE2_UCHAR buffer[256];
    int n = pcre2_get_error_message(error, buffer, 256);
    for (int i = 0; i < n; ++i) error_ += static_cast<char>(buffer[i]);
    error_ += " at " + std::to_string(offset);
    return;
  }
  match_data_ = pcre2_match_data_create_from_pattern(Code(code_), nullptr);
  pcre2_match_context* match_context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(match_context, 2000000);
  match_context_ = match_context;
}

Pcre2Oracle::~Pcre2Oracle() {
  pcre2_match_context_free(static_cast<pcre2_match_context*>(match_context_));
  pcre2_match_data_free(static_cast<pcre2_match_data*>(match_data_));
  pcre2_code_free(Code(code_));
}

int Pcre2Oracle::HighestGroup() const {
  uint32_t count = 0;
  if (code_) pcre2_pattern_info(Code(code_), PCRE2_INFO_CAPTURECOUNT, &count);
  return static_cast<int>(count);
}

OracleOutcome Pcre2Oracle::Search(const std::wstring& text, int start, std::vector<int>* spans) const {
  spans->clear();
  if (!code_) return OracleOutcome::kNotFound;
  auto* data = static_cast<pcre2_match_data*>(match_data_);
  int rc = pcre2_match(Code(code_), Units(text), text.size(), start < 0 ? 0 : start, 0, data,
                       static_cast<pcre2_match_context*>(match_context_));
  if (rc == PCRE2_ERROR_NOMATCH) return OracleOutcome::kNotFound;
  if (rc < 0) return OracleOutcome::kLimit;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
  int groups = HighestGroup() + 1;
  for (int i = 0; i < 2 * groups; ++i) {
    spans->push_back(ovector[i] == PCRE2_UNSET ? -1 : static_cast<int>(ovector[i]));
  }
  return OracleOutcome::kFound;
}

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
