// Matcher stage: per-search state and the search loop; see matcher.h.
#include "regex/matcher.h"

#include <algorithm>
#include <cwchar>

#include "regex/compiler.h"

namespace cw {

template <class CharT>
void CMatchStateT<CharT>::CutCaptures(int count) {
  if (count < 0 || count >= captures.Size()) return;
  // Every group whose newest record lies above the cut falls back to its
  // newest record below it, so results and back-references never show a span
  // from the discarded part.
  for (int record = captures.Size() - 4; record >= count; record -= 4) {
    const int group = captures[record];
    if (group < 0 || group >= capture_index.Size() || capture_index[group] < count) continue;
    int below = count - 4;
    while (below >= 0 && captures[below] != group) below -= 4;
    capture_index[group] = below;
  }
  captures.Restore(count);
}

template <class CharT>
void CMatchStateT<CharT>::Reset(int start) {
  backtrack.Clear();
  captures.Clear();
  capture_index.Clear();
  capture_index.Prepare(highest_group, -1);
  capture_index[0] = 0;
  captures.Push(0);
  captures.Push(start);
  captures.Push(-1);
  captures.Push(-1);
  position = start;
  recursion_depth = 0;
  active_targets.Clear();
  active_positions.Clear();
}

namespace {

template <class CharT>
const CharT* FindUnit(const CharT* from, const CharT* end, CharT unit) {
  if constexpr (std::is_same_v<CharT, wchar_t>) {
    return from < end ? std::wmemchr(from, unit, static_cast<size_t>(end - from)) : nullptr;
  } else {
    const CharT* found = std::find(from, end, unit);
    return found == end ? nullptr : found;
  }
}

// Which unit of a literal to scan for: the first that is not a space or a
// digit, as those are the commonest units in the texts searched.
template <class CharT>
int AnchorOf(const CBufferT<CharT>& literal) {
  for (int i = 0; i < literal.Size(); ++i) {
    const CharT unit = literal[i];
    if (unit != ' ' && !(unit >= '0' && unit <= '9')) return i;
  }
  return 0;
}

// Where `literal` first occurs at or after `from`; `length` when nowhere.
template <class CharT>
int FindLiteral(const CBufferT<CharT>& literal, const CharT* text, int length, int from) {
  const int n = literal.Size();
  if (n > length - from) return length;
  const int anchor = AnchorOf(literal);
  const CharT* end = text + length - (n - 1 - anchor);
  const CharT* at = text + from + anchor;
  while ((at = FindUnit(at, end, literal[anchor])) != nullptr) {
    const CharT* begin = at - anchor;
    if (std::equal(literal.Data(), literal.Data() + n, begin)) return static_cast<int>(begin - text);
    ++at;
  }
  return length;
}

// The first position at or after `from` where a match may start; `length`
// when there is none (a pattern that needs a code unit cannot match at the end).
template <class CharT>
int NextCandidate(const CPatternCompilerT<CharT>& compiled, const CharT* text, int length, int from) {
  const CBufferT<CharT>& prefix = compiled.Prefix();
  if (!prefix.Empty()) return FindLiteral(prefix, text, length, from);
  while (from < length &&
         !compiled.MayStartWith(static_cast<std::make_unsigned_t<CharT>>(text[from]))) {
    ++from;
  }
  return from;
}

template <class CharT>
CMatchSpansT BuildResult(const CMatchStateT<CharT>& state) {
  CMatchSpansT result;
  const int highest = state.highest_group;
  result.spans.assign(2 + 2 * static_cast<size_t>(highest + 1), -1);
  result.spans[0] = 1;
  result.spans[1] = highest;
  for (int group = 0; group <= highest; ++group) {
    const int record = state.capture_index.At(group, -1);
    if (record < 0 || record + 3 >= state.captures.Size()) continue;
    const int begin = state.captures[record + 1];
    const int end = state.captures[record + 2];
    if (begin < 0 || end < 0) continue;
    result.spans[2 + 2 * group] = std::min(begin, end);
    result.spans[3 + 2 * group] = std::max(begin, end);
  }
  return result;
}

}  // namespace

template <class CharT>
CMatchSpansT SearchCompiled(const CPatternCompilerT<CharT>& compiled, const CharT* text, int length, int start,
                            int64_t step_limit) {
  const ElxPtr<CharT> top = compiled.Top();
  if (top == nullptr) return {};
  static const CharT kEmpty[1] = {0};
  if (text == nullptr || length < 0) {
    text = kEmpty;
    length = 0;
  }
  if (start < 0) start = 0;
  if (start > length) return {};

  CMatchStateT<CharT> state;
  state.text = text;
  state.length = length;
  state.search_begin = start;
  state.highest_group = compiled.HighestGroup();
  state.recursion_limit = compiled.RecursionLimit();
  state.steps_left = step_limit > 0 ? step_limit : -1;
  const bool anywhere = compiled.StartAnywhere();
  const CBufferT<CharT>& required = compiled.Required();
  const int required_offset = compiled.RequiredMaxOffset();
  int next_required = -1;  // the next occurrence of the required literal, once looked up
  try {
    for (int position = start; position <= length; ++position) {
      if (!anywhere) {
        position = NextCandidate(compiled, text, length, position);
        if (position >= length) break;
      }
      if (!required.Empty()) {
        // A match here needs the literal within required_offset units of its start.
        if (next_required < position) next_required = FindLiteral(required, text, length, position);
        if (next_required >= length) break;
        if (next_required - position > required_offset) {
          position = next_required - required_offset - 1;
          continue;
        }
      }
      state.Reset(position);
      if (top->MatchFirst(state)) {
        state.captures[2] = state.position;
        return BuildResult(state);
      }
    }
  } catch (const RegexStepLimitReached&) {
    // The search gave up: reported as not found.
  }
  return {};
}

template class CMatchStateT<wchar_t>;
template class CMatchStateT<char16_t>;
template CMatchSpansT SearchCompiled(const CPatternCompilerT<wchar_t>&, const wchar_t*, int, int, int64_t);
template CMatchSpansT SearchCompiled(const CPatternCompilerT<char16_t>&, const char16_t*, int, int, int64_t);

}  // namespace cw
