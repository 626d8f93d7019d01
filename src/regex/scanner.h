// Scanner stage: turns a pattern text into tokens. Handles escapes, quoting
// ("\Q", "\L", "\U" ... "\E"), comments "(?#...)" and the context rules that
// make '-', ':', '^', '[' and ']' special only inside or outside a class.
#pragma once

#include <cstdint>

namespace cw {

struct RegexToken {
  uint32_t unit = 0;     // the code unit (or the escape letter of a special token)
  bool special = true;   // special (syntax) or literal
  int position = 0;      // where the token starts in the pattern
  int length = 0;        // how many code units it covers; 0 for the end token

  bool IsSpecial(uint32_t c) const { return special && unit == c; }
  bool IsLiteral() const { return !special; }
  bool IsEnd() const { return special && length == 0; }
};

template <class CharT>
class CScannerT {
 public:
  CScannerT(const CharT* pattern, int length) : pattern_(pattern), length_(length) {}

  // Scans and returns the next token; past the end, the end token every time.
  RegexToken Next();

  int Position() const { return position_; }

 private:
  uint32_t UnitAt(int i) const;
  bool ScanEscape(RegexToken& token);
  RegexToken Make(uint32_t unit, bool special, int length) const;
  uint32_t Transform(uint32_t unit) const;
  RegexToken Remember(const RegexToken& token);

  const CharT* pattern_;
  int length_;
  int position_ = 0;
  int class_depth_ = 0;
  bool quoting_ = false;
  int transform_ = 0;  // 0 none, 1 to lower, 2 to upper
  RegexToken last_;    // the previous token scanned
  RegexToken before_last_;
};

// Hex digit value, or -1.
int RegexHexValue(uint32_t unit);

}  // namespace cw
