// Compiler stage: a recursive descent over the scanner's tokens that builds the
// element tree, then numbers named groups and resolves names. Compiling never
// fails; malformed constructs have fixed meanings (an unmatched ')' ends the
// pattern, an unclosed '(' or '[' runs to the end, unknown escapes stand for the
// escaped character, and so on).
//
// Groups nested more than kRegexMaxNesting deep are compiled as the empty
// element (their text is skipped up to the matching ')'), which keeps both the
// compiler and the matcher within a bounded call depth.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "regex/buffer.h"
#include "regex/elements.h"
#include "regex/scanner.h"

namespace cw {

inline constexpr int kRegexMaxNesting = 200;
// Nested element calls one search may stack up through recursion.
inline constexpr int kRegexCallBudget = 12000;

template <class CharT>
class CPatternCompilerT {
 public:
  CPatternCompilerT() = default;
  CPatternCompilerT(const CPatternCompilerT&) = delete;
  CPatternCompilerT& operator=(const CPatternCompilerT&) = delete;

  // Compiles a pattern of `length` code units with the given mode flags.
  // A null pattern leaves no top element: such a pattern never matches.
  void Compile(const CharT* pattern, int length, int flags);

  ElxPtr<CharT> Top() const { return top_; }
  int HighestGroup() const { return highest_group_; }
  int RecursionLimit() const { return recursion_limit_; }

  // Start-position filter worked out from the tree: a match can only start at
  // a code unit accepted here (or anywhere when `anywhere_` is set).
  bool StartAnywhere() const { return anywhere_; }
  bool MayStartWith(uint32_t unit) const {
    return unit < 256 ? ((first_units_[unit >> 6] >> (unit & 63)) & 1) != 0 : first_high_;
  }
  // A literal every match starts with (case-sensitive); may be empty.
  const CBufferT<CharT>& Prefix() const { return prefix_; }
  // A literal every match contains, starting at most RequiredMaxOffset()
  // units after the match start (case-sensitive); may be empty.
  const CBufferT<CharT>& Required() const { return required_; }
  int RequiredMaxOffset() const { return required_max_offset_; }

  // Every group element: index 0 the top element, then plain groups by
  // number, then named groups.
  const std::vector<ElxPtr<CharT>>& Groups() const { return group_list_; }

 private:
  using Flags = int;
  struct GroupEntry {
    CListElxT<CharT>* list;
    CBracketElxT<CharT>* open;
    CBracketElxT<CharT>* close;
  };

  template <class Element, class... Args>
  Element* Make(Args&&... args);
  ElxPtr<CharT> Stock(int index);

  // Tokens.
  void Advance();
  const RegexToken& Cur() const { return tokens_[1]; }
  const RegexToken& Next() const { return tokens_[2]; }
  const RegexToken& AfterNext() const { return tokens_[3]; }
  bool AtListEnd() const;
  void SkipGroup();

  // Grammar.
  ElxPtr<CharT> ParseAlternative(Flags flags);
  ElxPtr<CharT> ParseList(Flags& flags);
  ElxPtr<CharT> ParseRepeat(Flags& flags);
  ElxPtr<CharT> ParseSimple(Flags& flags);
  ElxPtr<CharT> ParseClass(Flags flags);
  ElxPtr<CharT> ParsePosix(Flags flags);
  ElxPtr<CharT> ParseBracketClass(Flags flags);
  ElxPtr<CharT> ParseBoundary(Flags flags);
  ElxPtr<CharT> ParseBackref(Flags flags);
  ElxPtr<CharT> ParseGroup(Flags& flags);
  ElxPtr<CharT> ParseCapture(Flags flags, int number, const CBufferT<CharT>* name);
  ElxPtr<CharT> ParseCondition(Flags flags);
  ElxPtr<CharT> ParseModifiers(Flags& flags);
  ElxPtr<CharT> ParseRecursion();
  ElxPtr<CharT> ApplyQuantifier(ElxPtr<CharT> element);
  void ConsumeClose();
  CBufferT<CharT> ReadName(uint32_t closer);
  CBufferT<CharT> ReadUpToClose();

  // After parsing.
  void NumberNamedGroups();
  int NumberOfName(const CBufferT<CharT>& name) const;
  void ResolveReferences();
  void AnalyseStart();
  void FindRequiredLiteral();
  int TreeDepth(ElxPtr<CharT> element, int depth) const;

  ElxPtr<CharT> top_ = nullptr;
  int flags_ = 0;
  int highest_group_ = 0;
  int named_group_count_ = 0;
  std::vector<std::unique_ptr<ElxInterface<CharT>>> elements_;
  std::vector<ElxPtr<CharT>> group_list_;
  std::vector<GroupEntry> group_entries_;  // parallel to group_list_ from index 1
  std::vector<CDelegateElxT<CharT>*> recursions_;
  std::vector<GroupEntry> named_groups_;
  std::vector<CBackrefElxT<CharT>*> named_backrefs_;
  std::vector<CConditionElxT<CharT>*> named_conditions_;
  const CharT* pattern_ = nullptr;
  int length_ = 0;
  std::unique_ptr<CScannerT<CharT>> scanner_;
  RegexToken tokens_[4];  // previous, current, next, after-next
  int nesting_ = 0;
  ElxPtr<CharT> stock_[17] = {};

  int recursion_limit_ = 1;
  bool anywhere_ = true;
  uint64_t first_units_[4] = {0, 0, 0, 0};
  bool first_high_ = false;
  CBufferT<CharT> prefix_;
  CBufferT<CharT> required_;
  int required_max_offset_ = 0;
};

// Reads a decimal number as quantifiers and numeric names do: white space,
// 1 to 6 digits, white space. Returns the number of code units used (0 when
// there is no digit) and the value in `value`.
int RegexReadDecimal(const uint32_t* units, int count, int* value);

}  // namespace cw
