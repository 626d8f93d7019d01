// Matcher stage: the per-search state shared by the elements, and the search
// loop that tries each start position in turn.
//
// Bounds (a search never overflows the call stack and may be given a work
// limit):
//  - Recursion "(?R)", "(?n)" nests element calls on the C++ stack. The compiler
//    works out how many recursion levels fit a fixed budget of nested element
//    calls for the pattern's tree depth; a recursion that would go deeper does
//    not match at that level (the search goes on and usually ends with a
//    shorter match, as if the text had stopped there for the recursion).
//    A recursion that would enter its target again at the position where that
//    target is already being matched (left recursion, as in "(a|(?1)b)") does
//    not match: it could only repeat itself without end.
//  - Group nesting in a pattern is limited by the compiler (see compiler.h).
//  - An optional step limit (CPatternT::SetStepLimit) ends a search with "not
//    found" once that many retries of composite elements have been made.
#pragma once

#include <cstdint>
#include <type_traits>

#include "regex/buffer.h"
#include "regex/elements.h"
#include "regex/pattern.h"

namespace cw {

// Thrown inside a search when its step limit is used up; caught by the search.
struct RegexStepLimitReached {};

template <class CharT>
class CMatchStateT {
 public:
  CBufferT<int> backtrack;      // what elements push on success and pop on retry
  CBufferT<int> captures;       // records of 4: group, begin, end (-1 open), nesting/closing order
  CBufferT<int> capture_index;  // per group: offset of its newest record, -1 when none
  int position = 0;
  int search_begin = 0;
  int closing_counter = 0;
  const CharT* text = nullptr;
  int length = 0;
  int highest_group = 0;
  int recursion_depth = 0;
  int recursion_limit = 1;
  // The recursions now entered: target and the position each was entered at
  // (-1 when re-entered by a retry, where that position is not known).
  CBufferT<const void*> active_targets;
  CBufferT<int> active_positions;
  int64_t steps_left = -1;  // negative: unlimited

  uint32_t UnitAt(int index) const { return static_cast<std::make_unsigned_t<CharT>>(text[index]); }

  // Offset of the newest record of `group` at or below its index entry; -1 when none.
  int FindNewestRecord(int group) const {
    const int top = captures.Size() - 4;
    int record = capture_index.At(group, -1);
    if (record > top) record = top;
    for (; record >= 0; record -= 4) {
      if (captures[record] == group) return record;
    }
    return -1;
  }
  // Cuts the capture stack back to `count` entries and points every group
  // whose newest record was removed at its newest remaining one.
  void CutCaptures(int count);
  // Counts one retry of a composite element against the step limit.
  void Step() {
    if (steps_left >= 0 && --steps_left < 0) throw RegexStepLimitReached();
  }
  // Clears the state for an attempt at start position `start`.
  void Reset(int start);
};

template <class CharT>
class CPatternCompilerT;

// Searches `text` (length code units) from `start` with a compiled pattern.
template <class CharT>
CMatchSpansT SearchCompiled(const CPatternCompilerT<CharT>& compiled, const CharT* text, int length,
                            int start, int64_t step_limit);

}  // namespace cw
