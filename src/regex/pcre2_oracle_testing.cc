// The PCRE2 reference matcher used by the differential tests.
#define PCRE2_CODE_UNIT_WIDTH 32
#include <pcre2.h>

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

}  // namespace cw::testing
