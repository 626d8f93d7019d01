// Public face of the pattern-matching engine: compile a pattern once, then
// search texts with it from any number of threads.
//
// Stages, one file each: buffer.h (growable arrays), scanner.h (pattern text to
// tokens), compiler.h (tokens to an element tree), elements.h (the element
// classes and their matching operations), matcher.h (per-search state and the
// search loop). Only this header is meant for code outside src/regex/.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace cw {

// Mode flags of a pattern. A pattern may also switch them inline with
// "(?s)", "(?m)", "(?g)", "(?i)" and "(?-i)" style modifiers.
enum RegexModeFlags : int {
  SINGLELINE = 1,   // '.' also matches line feed
  MULTILINE = 2,    // '^' and '$' also match at line breaks
  GLOBAL = 4,       // '\G' is active: it matches only at the search start
  IGNORECASE = 8,   // ASCII case-insensitive literals, classes and back-references
  RIGHTTOLEFT = 16  // internal: set inside look-behind; ignored when passed to a pattern
};

// Result of a search: empty when not found; else [1, H, b0, e0, b1, e1, ..., bH, eH]
// where H is the highest group number and a group that took no part has -1, -1.
class CMatchSpansT {
 public:
  std::vector<int32_t> spans;

  bool IsFound() const { return !spans.empty() && spans[0] != 0; }
  int HighestGroup() const { return spans.size() > 1 ? spans[1] : 0; }
  // Begin of a group's span, -1 when the group is absent or took no part.
  int GroupBegin(int group) const { return group < 0 ? -1 : At(2 + 2 * static_cast<int64_t>(group)); }
  // End (exclusive) of a group's span, -1 when absent.
  int GroupEnd(int group) const { return group < 0 ? -1 : At(3 + 2 * static_cast<int64_t>(group)); }

 private:
  int At(int64_t index) const {
    return index >= 0 && index < static_cast<int64_t>(spans.size()) ? spans[index] : -1;
  }
};

template <class CharT>
class CPatternCompilerT;

// A compiled pattern. Construction compiles at once and never fails: every
// pattern text yields some matcher (malformed constructs have fixed meanings);
// a null pattern yields one that never matches. After construction the object
// is read-only: Search may be called from many threads at once.
template <class CharT>
class CPatternT {
 public:
  explicit CPatternT(const CharT* pattern, int flags = 0);
  ~CPatternT();
  CPatternT(const CPatternT&) = delete;
  CPatternT& operator=(const CPatternT&) = delete;

  // Leftmost-first search from `start` (negative -> 0) in a NUL-terminated
  // text (null text: empty). A start beyond the text finds nothing.
  CMatchSpansT Search(const CharT* text, int start) const;
  // Same on a text of known length, which may contain NULs.
  CMatchSpansT Search(const CharT* text, int length, int start) const;

  // Bounds the backtracking work of one Search call (steps are retries of
  // composite elements). When the bound is reached the search ends with
  // "not found". 0 (the default) means no bound. Call before sharing.
  void SetStepLimit(int64_t steps) { step_limit_ = steps; }

  // The highest group number of the pattern (0 for a pattern without groups).
  int HighestGroup() const;

  // The compiled form, for the engine's own tests.
  const CPatternCompilerT<CharT>* Compiled() const { return compiler_.get(); }

 private:
  std::unique_ptr<CPatternCompilerT<CharT>> compiler_;
  int64_t step_limit_ = 0;
};

using CPattern = CPatternT<wchar_t>;

}  // namespace cw
