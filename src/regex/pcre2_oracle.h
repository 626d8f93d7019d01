// Test-only reference matcher: PCRE2 (32-bit code units, interpreter) set up
// to read patterns the way our engine does wherever the two can agree. Used by
// the differential tests; never linked into the product.
#pragma once

#include <string>
#include <vector>

namespace cw::testing {

// The outcome of one reference search.
enum class OracleOutcome { kFound, kNotFound, kLimit };

class Pcre2Oracle {
 public:
  // Compiles |pattern| with: '$' only at the very end (no match before a final
  // line feed), '^' in multi-line mode also after a final line feed, line feed
  // as the only line break, no UTF or Unicode properties (every code unit is
  // one character, ASCII-only case folding and classes), and without PCRE2's
  // auto-possessification and start-of-match optimisations, which change some
  // results in this version.
  explicit Pcre2Oracle(const std::wstring& pattern);
  ~Pcre2Oracle();
  Pcre2Oracle(const Pcre2Oracle&) = delete;
  Pcre2Oracle& operator=(const Pcre2Oracle&) = delete;

  bool ok() const { return code_ != nullptr; }
  const std::string& error() const { return error_; }  // compile error text when !ok()
  int HighestGroup() const;                            // number of capturing groups

  // Searches |text| from |start| (negative means 0; must be <= text length).
  // On kFound, *spans holds begin, end for groups 0..HighestGroup(), -1 for a
  // group that took no part. kLimit: PCRE2 gave up (match or depth limit).
  OracleOutcome Search(const std::wstring& text, int start, std::vector<int>* spans) const;

 private:
  void* code_ = nullptr;        // pcre2_code_32*
  void* match_data_ = nullptr;  // pcre2_match_data_32*
  void* match_context_ = nullptr;
  std::string error_;
};

}  // namespace cw::testing
