// Matching operations of the element classes; see elements.h.
#include "regex/elements.h"

#include <cstring>

#include "regex/matcher.h"

namespace cw {
namespace {

uint32_t AsciiUpper(uint32_t unit) { return unit >= 'a' && unit <= 'z' ? unit - 32 : unit; }

// Compares `count` code units at `a` and `b` of the state's text.
template <class CharT>
bool TextEqual(const CMatchStateT<CharT>& state, int a, int b, int count, bool ignore_case) {
  for (int i = 0; i < count; ++i) {
    uint32_t x = state.UnitAt(a + i);
    uint32_t y = state.UnitAt(b + i);
    if (x != y && (!ignore_case || AsciiUpper(x) != AsciiUpper(y))) return false;
  }
  return true;
}

// Moves over one code unit accepted by `accepts`, in the given direction.
template <class CharT, class Accepts>
bool MatchOneUnit(CMatchStateT<CharT>& state, bool right_to_left, const Accepts& accepts) {
  if (right_to_left) {
    if (state.position <= 0 || state.position > state.length) return false;
    if (!accepts(state.UnitAt(state.position - 1))) return false;
    --state.position;
    return true;
  }
  if (state.position < 0 || state.position >= state.length) return false;
  if (!accepts(state.UnitAt(state.position))) return false;
  ++state.position;
  return true;
}

bool IsWordUnit(uint32_t unit) {
  return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') || (unit >= '0' && unit <= '9') ||
         unit == '_';
}

// POSIX classifications of the C locale; nothing above 127 belongs to any.
bool PosixAlnum(uint32_t u) { return IsWordUnit(u) && u != '_'; }
bool PosixAlpha(uint32_t u) { return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'); }
bool PosixAscii(uint32_t u) { return u < 128; }
bool PosixCntrl(uint32_t u) { return u < 32 || u == 127; }
bool PosixDigit(uint32_t u) { return u >= '0' && u <= '9'; }
bool PosixGraph(uint32_t u) { return u >= 33 && u <= 126; }
bool PosixLower(uint32_t u) { return u >= 'a' && u <= 'z'; }
bool PosixPrint(uint32_t u) { return u >= 32 && u <= 126; }
bool PosixPunct(uint32_t u) { return PosixGraph(u) && !PosixAlnum(u); }
bool PosixSpace(uint32_t u) { return u == 32 || (u >= 9 && u <= 13); }
bool PosixUpper(uint32_t u) { return u >= 'A' && u <= 'Z'; }
bool PosixXdigit(uint32_t u) { return PosixDigit(u) || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F'); }
bool PosixBlank(uint32_t u) { return u == 32 || u == 9; }

struct PosixName {
  const char* name;
  bool (*classify)(uint32_t);
};

const PosixName kPosixNames[] = {
    {"alnum:", PosixAlnum}, {"alpha:", PosixAlpha}, {"ascii:", PosixAscii},   {"cntrl:", PosixCntrl},
    {"digit:", PosixDigit}, {"graph:", PosixGraph}, {"lower:", PosixLower},   {"print:", PosixPrint},
    {"punct:", PosixPunct}, {"space:", PosixSpace}, {"upper:", PosixUpper},   {"xdigit:", PosixXdigit},
    {"blank:", PosixBlank},
};

// Whether a nested class element accepts a code unit.
template <class CharT>
bool NestedAccepts(ElxPtr<CharT> element, uint32_t unit) {
  if (auto* range = dynamic_cast<const CRangeElxT<CharT>*>(element)) return range->Accepts(unit);
  if (auto* posix = dynamic_cast<const CPosixElxT<CharT>*>(element)) return posix->Accepts(unit);
  return false;
}

// An atomic match (independent group, possessive repeat) keeps no choice
// points of its child: drop them, and remember where it began and how many
// captures stood before it so that backing over it can undo it.
template <class CharT>
bool KeepAtomicMatch(CMatchStateT<CharT>& state, bool matched, int start, int backtrack_size, int capture_size) {
  state.backtrack.Restore(backtrack_size);
  if (!matched) return false;
  state.backtrack.Push(start);
  state.backtrack.Push(capture_size);
  return true;
}

// Backs over an atomic match kept by KeepAtomicMatch; it has no other way to match.
template <class CharT>
bool UndoAtomicMatch(CMatchStateT<CharT>& state) {
  state.CutCaptures(state.backtrack.Pop());
  state.position = state.backtrack.Pop();
  return false;
}

}  // namespace

bool (*RegexPosixClassifier(const char* name))(uint32_t) {
  for (const PosixName& entry : kPosixNames) {
    if (std::strncmp(name, entry.name, std::strlen(entry.name)) == 0) return entry.classify;
  }
  return nullptr;
}

// ---- empty, global, string -------------------------------------------------

template <class CharT>
bool CEmptyElxT<CharT>::MatchFirst(CMatchStateT<CharT>&) const { return true; }
template <class CharT>
bool CEmptyElxT<CharT>::MatchAgain(CMatchStateT<CharT>&) const { return false; }

template <class CharT>
bool CGlobalElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  return state.position == state.search_begin;
}
template <class CharT>
bool CGlobalElxT<CharT>::MatchAgain(CMatchStateT<CharT>&) const { return false; }

template <class CharT>
bool CStringElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int n = units_.Size();
  const int from = right_to_left_ ? state.position - n : state.position;
  if (from < 0 || from + n > state.length) return false;
  for (int i = 0; i < n; ++i) {
    uint32_t x = state.UnitAt(from + i);
    uint32_t y = static_cast<std::make_unsigned_t<CharT>>(units_[i]);
    if (x != y && (!ignore_case_ || AsciiUpper(x) != AsciiUpper(y))) return false;
  }
  state.position = right_to_left_ ? from : from + n;
  return true;
}
template <class CharT>
bool CStringElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.position += right_to_left_ ? units_.Size() : -units_.Size();
  return false;
}

// ---- classes ---------------------------------------------------------------

template <class CharT>
bool CRangeElxT<CharT>::IsMember(uint32_t unit) const {
  for (int i = 0; i + 1 < ranges_.Size(); i += 2) {
    if (ranges_[i] <= unit && unit <= ranges_[i + 1]) return true;
  }
  for (int i = 0; i < singles_.Size(); ++i) {
    if (singles_[i] == unit) return true;
  }
  for (int i = 0; i < nested_.Size(); ++i) {
    if (NestedAccepts<CharT>(nested_[i], unit)) return true;
  }
  return false;
}

template <class CharT>
void CRangeElxT<CharT>::CloseOverCase() {
  const int range_count = ranges_.Size();
  for (int i = 0; i + 1 < range_count; i += 2) {
    const uint32_t low = ranges_[i], high = ranges_[i + 1];
    // Each side's overlap with one case range, mapped to the other case.
    const uint32_t cases[2][3] = {{'A', 'Z', 32}, {'a', 'z', 0}};
    for (const auto& c : cases) {
      const uint32_t from = low > c[0] ? low : c[0];
      const uint32_t to = high < c[1] ? high : c[1];
      if (from > to) continue;
      const uint32_t mapped_low = c[2] ? from + 32 : from - 32;
      const uint32_t mapped_high = c[2] ? to + 32 : to - 32;
      if (low <= mapped_low && mapped_high <= high) continue;
      AddRange(mapped_low, mapped_high);
    }
  }
  const int single_count = singles_.Size();
  for (int i = 0; i < single_count; ++i) {
    const uint32_t unit = singles_[i];
    uint32_t other = unit;
    if (unit >= 'A' && unit <= 'Z') other = unit + 32;
    if (unit >= 'a' && unit <= 'z') other = unit - 32;
    if (other == unit) continue;
    bool present = false;
    for (int j = 0; j < singles_.Size(); ++j) present = present || singles_[j] == other;
    if (!present) AddSingle(other);
  }
}

template <class CharT>
void CRangeElxT<CharT>::Finish() {
  for (uint32_t unit = 0; unit < 256; ++unit) {
    if (IsMember(unit) == positive_) low_table_[unit >> 6] |= uint64_t{1} << (unit & 63);
  }
}

template <class CharT>
bool CRangeElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  return MatchOneUnit(state, right_to_left_, [this](uint32_t unit) { return Accepts(unit); });
}
template <class CharT>
bool CRangeElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.position += right_to_left_ ? 1 : -1;
  return false;
}

template <class CharT>
bool CPosixElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  if (classify_ == nullptr) return false;
  return MatchOneUnit(state, right_to_left_, [this](uint32_t unit) { return Accepts(unit); });
}
template <class CharT>
bool CPosixElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.position += right_to_left_ ? 1 : -1;
  return false;
}

// ---- boundaries ------------------------------------------------------------

template <class CharT>
bool CBoundaryElxT<CharT>::Holds(const CMatchStateT<CharT>& state) const {
  const int pos = state.position;
  const int len = state.length;
  const uint32_t prev = pos > 0 && pos <= len ? state.UnitAt(pos - 1) : 0;
  const uint32_t cur = pos >= 0 && pos < len ? state.UnitAt(pos) : 0;
  switch (kind_) {
    case 0:
      return pos == 0;
    case 1:
      return pos >= len;
    case 2:
      if (pos >= len) return true;
      if (len >= 1 && state.UnitAt(len - 1) == '\n' && pos == len - 1) return true;
      return len >= 2 && state.UnitAt(len - 2) == '\r' && state.UnitAt(len - 1) == '\n' && pos == len - 2;
    case 3:
      return pos == 0 || prev == '\n' || (prev == '\r' && cur != '\n');
    case 4:
      return pos >= len || cur == '\r' || (cur == '\n' && prev != '\r');
    case 7:
      return IsWordUnit(prev) != IsWordUnit(cur);
    default:
      return false;
  }
}

template <class CharT>
bool CBoundaryElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  return Holds(state) == positive_;
}
template <class CharT>
bool CBoundaryElxT<CharT>::MatchAgain(CMatchStateT<CharT>&) const { return false; }

// ---- capturing brackets ----------------------------------------------------

template <class CharT>
bool CBracketElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int g = number_;
  if (g < 0) return true;
  state.capture_index.Prepare(g, -1);
  const int newest = state.FindNewestRecord(g);
  int* records = state.captures.MutableData();
  if (!closing_) {
    if (newest >= 0 && records[newest + 2] == -1) {
      --records[newest + 3];  // re-entered while open, through recursion
      return true;
    }
    const int offset = state.captures.Size();
    state.captures.Push(g);
    state.captures.Push(state.position);
    state.captures.Push(-1);
    state.captures.Push(0);
    state.capture_index[g] = offset;
    return true;
  }
  if (newest >= 0) {
    if (records[newest + 3] < 0) {
      ++records[newest + 3];
    } else {
      records[newest + 2] = state.position;
      records[newest + 3] = state.closing_counter++;
    }
  }
  return true;
}

template <class CharT>
bool CBracketElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  const int g = number_;
  if (g < 0) return false;
  const int newest = state.FindNewestRecord(g);
  if (newest < 0) return false;
  int* records = state.captures.MutableData();
  if (!closing_) {
    if (records[newest + 3] < 0) {
      ++records[newest + 3];
      return false;
    }
    // Remove this group's record (the top one) and fall back to an older one.
    state.CutCaptures(newest);
    return false;
  }
  if (records[newest + 2] >= 0) {
    records[newest + 2] = -1;
    records[newest + 3] = 0;
  } else {
    --records[newest + 3];
  }
  return false;
}

// ---- back-references -------------------------------------------------------

template <class CharT>
bool CBackrefElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int g = number_;
  if (g < 0 || g > state.highest_group) return false;
  const int record = state.capture_index.At(g, -1);
  if (record < 0 || record + 3 >= state.captures.Size()) return false;
  int begin = state.captures[record + 1];
  int end = state.captures[record + 2];
  if (end == -1) end = state.position;
  if (begin > end) {
    const int swap = begin;
    begin = end;
    end = swap;
  }
  const int n = end - begin;
  const int from = right_to_left_ ? state.position - n : state.position;
  if (from < 0 || from + n > state.length) return false;
  if (!TextEqual(state, from, begin, n, ignore_case_)) return false;
  state.backtrack.Push(state.position);
  state.position = right_to_left_ ? from : from + n;
  return true;
}

template <class CharT>
bool CBackrefElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.position = state.backtrack.Pop();
  return false;
}

// ---- sequences and branches ------------------------------------------------

template <class CharT>
bool CListElxT<CharT>::Forward(CMatchStateT<CharT>& state, int step) const {
  const int n = children_.Size();
  while (step < n) {
    if (Child(step)->MatchFirst(state)) {
      ++step;
      continue;
    }
    for (;;) {
      if (--step < 0) return false;
      if (Child(step)->MatchAgain(state)) break;
    }
    ++step;
  }
  return true;
}

template <class CharT>
bool CListElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  return Forward(state, 0);
}

template <class CharT>
bool CListElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.Step();
  for (int step = children_.Size() - 1; step >= 0; --step) {
    if (Child(step)->MatchAgain(state)) return Forward(state, step + 1);
  }
  return false;
}

template <class CharT>
bool CAlternativeElxT<CharT>::TryFrom(CMatchStateT<CharT>& state, int first) const {
  for (int i = first; i < branches_.Size(); ++i) {
    if (branches_[i]->MatchFirst(state)) {
      state.backtrack.Push(i);
      return true;
    }
  }
  return false;
}

template <class CharT>
bool CAlternativeElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  if (branches_.Empty()) return true;
  return TryFrom(state, 0);
}

template <class CharT>
bool CAlternativeElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  if (branches_.Empty()) return false;
  state.Step();
  const int i = state.backtrack.Pop();
  if (i < 0 || i >= branches_.Size()) return false;
  if (branches_[i]->MatchAgain(state)) {
    state.backtrack.Push(i);
    return true;
  }
  return TryFrom(state, i + 1);
}

// ---- repeats ---------------------------------------------------------------

template <class CharT>
bool CRepeatElxT<CharT>::FixedForward(CMatchStateT<CharT>& state, int copy) const {
  while (copy < count_) {
    if (child_->MatchFirst(state)) {
      ++copy;
      continue;
    }
    for (;;) {
      if (--copy < 0) return false;
      if (child_->MatchAgain(state)) break;
    }
    ++copy;
  }
  return true;
}

template <class CharT>
bool CRepeatElxT<CharT>::FixedFirst(CMatchStateT<CharT>& state) const {
  return FixedForward(state, 0);
}

template <class CharT>
bool CRepeatElxT<CharT>::FixedAgain(CMatchStateT<CharT>& state) const {
  for (int copy = count_ - 1; copy >= 0; --copy) {
    if (child_->MatchAgain(state)) return FixedForward(state, copy + 1);
  }
  return false;
}

template <class CharT>
bool CRepeatElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  return FixedFirst(state);
}

template <class CharT>
bool CRepeatElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.Step();
  return FixedAgain(state);
}

// Backtrack entries of the extra part, from the bottom: for each extra copy
// its own entries followed by the position before it; then the copy count.
template <class CharT>
void CGreedyElxT<CharT>::ExtraPart(CMatchStateT<CharT>& state, int copies) const {
  const ElxPtr<CharT> child = this->child_;
  int mark = state.position;
  while (copies < extra_) {
    if (!child->MatchFirst(state)) break;
    if (state.position == mark) {
      // A copy that matches the empty string is not counted: look for a way
      // of it that moves, else leave it undone and stop.
      bool moved = false;
      while (!moved && child->MatchAgain(state)) moved = state.position != mark;
      if (!moved) break;
    }
    state.backtrack.Push(mark);
    ++copies;
    mark = state.position;
  }
  state.backtrack.Push(copies);
}

template <class CharT>
bool CGreedyElxT<CharT>::UnitFixedFirst(CMatchStateT<CharT>& state) const {
  const CRangeElxT<CharT>* unit = unit_child_;
  const int n = this->count_;
  if (unit->right_to_left_) {
    if (state.position - n < 0 || state.position > state.length) return false;
    for (int i = 1; i <= n; ++i) {
      if (!unit->Accepts(state.UnitAt(state.position - i))) return false;
    }
    state.position -= n;
  } else {
    if (state.position < 0 || n > state.length - state.position) return false;
    for (int i = 0; i < n; ++i) {
      if (!unit->Accepts(state.UnitAt(state.position + i))) return false;
    }
    state.position += n;
  }
  return true;
}

template <class CharT>
void CGreedyElxT<CharT>::UnitExtraPart(CMatchStateT<CharT>& state) const {
  const CRangeElxT<CharT>* unit = unit_child_;
  int copies = 0;
  if (unit->right_to_left_) {
    const int room = state.position;
    const int limit = extra_ < room ? extra_ : room;
    while (copies < limit && unit->Accepts(state.UnitAt(state.position - 1 - copies))) ++copies;
    state.position -= copies;
  } else {
    const int room = state.length - state.position;
    const int limit = extra_ < room ? extra_ : room;
    while (copies < limit && unit->Accepts(state.UnitAt(state.position + copies))) ++copies;
    state.position += copies;
  }
  state.backtrack.Push(copies);
}

template <class CharT>
bool CGreedyElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  if (unit_child_ != nullptr) {
    if (!UnitFixedFirst(state)) return false;
    UnitExtraPart(state);
    return true;
  }
  if (!this->FixedFirst(state)) return false;
  ExtraPart(state, 0);
  return true;
}

template <class CharT>
bool CGreedyElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.Step();
  if (unit_child_ != nullptr) {
    // One unit fewer; with none left the fixed units have no other way.
    const int copies = state.backtrack.Pop();
    const int step = unit_child_->right_to_left_ ? -1 : 1;
    if (copies > 0) {
      state.position -= step;
      state.backtrack.Push(copies - 1);
      return true;
    }
    state.position -= step * this->count_;
    return false;
  }
  const int copies = state.backtrack.Pop();
  if (copies > 0) {
    // Another way of the last copy (one that still moves) may let more
    // copies follow it; without one, one copy fewer.
    const int before = state.backtrack.Pop();
    while (this->child_->MatchAgain(state)) {
      if (state.position != before) {
        state.backtrack.Push(before);
        ExtraPart(state, copies);
        return true;
      }
    }
    state.backtrack.Push(copies - 1);
    return true;
  }
  if (!this->FixedAgain(state)) return false;
  ExtraPart(state, 0);
  return true;
}

template <class CharT>
bool CReluctantElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  if (!this->FixedFirst(state)) return false;
  state.backtrack.Push(0);
  return true;
}

template <class CharT>
bool CReluctantElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.Step();
  const ElxPtr<CharT> child = this->child_;
  int copies = state.backtrack.Pop();
  const int mark = state.position;
  // One more copy first, provided it moves.
  if (copies < extra_ && child->MatchFirst(state)) {
    bool moved = state.position != mark;
    while (!moved && child->MatchAgain(state)) moved = state.position != mark;
    if (moved) {
      state.backtrack.Push(mark);
      state.backtrack.Push(copies + 1);
      return true;
    }
  }
  // Else another way of the last copy, again one that moves.
  while (copies >= 1) {
    const int before = state.backtrack.Pop();
    while (child->MatchAgain(state)) {
      if (state.position != before) {
        state.backtrack.Push(before);
        state.backtrack.Push(copies);
        return true;
      }
    }
    --copies;
  }
  if (this->FixedAgain(state)) {
    state.backtrack.Push(0);
    return true;
  }
  return false;
}

template <class CharT>
bool CPossessiveElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int start = state.position;
  const int backtrack_size = state.backtrack.Size();
  const int capture_size = state.captures.Size();
  bool matched;
  if (this->UnitChild() != nullptr) {
    matched = this->UnitFixedFirst(state);
    if (matched) this->UnitExtraPart(state);
  } else {
    matched = this->FixedFirst(state);
    if (matched) this->ExtraPart(state, 0);
  }
  return KeepAtomicMatch(state, matched, start, backtrack_size, capture_size);
}

template <class CharT>
bool CPossessiveElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  return UndoAtomicMatch(state);
}

// ---- independent groups, assertions, conditions ----------------------------

template <class CharT>
bool CIndependentElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int start = state.position;
  const int backtrack_size = state.backtrack.Size();
  const int capture_size = state.captures.Size();
  const bool matched = child_->MatchFirst(state);
  return KeepAtomicMatch(state, matched, start, backtrack_size, capture_size);
}

template <class CharT>
bool CIndependentElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  return UndoAtomicMatch(state);
}

template <class CharT>
bool CAssertElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int start = state.position;
  const int backtrack_size = state.backtrack.Size();
  const int capture_size = state.captures.Size();
  const bool matched = child_->MatchFirst(state) == positive_;
  state.backtrack.Restore(backtrack_size);
  state.position = start;
  if (!matched) {
    state.CutCaptures(capture_size);
    return false;
  }
  state.backtrack.Push(capture_size);
  return true;
}

template <class CharT>
bool CAssertElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.CutCaptures(state.backtrack.Pop());
  return false;
}

template <class CharT>
bool CConditionElxT<CharT>::ConditionHolds(CMatchStateT<CharT>& state) const {
  if (number_ >= 0) return number_ <= state.highest_group && state.capture_index.At(number_, -1) >= 0;
  if (assertion_ == nullptr) return true;
  const int start = state.position;
  const int backtrack_size = state.backtrack.Size();
  const bool holds = assertion_->MatchFirst(state);
  state.backtrack.Restore(backtrack_size);
  state.position = start;
  return holds;
}

template <class CharT>
bool CConditionElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  const int capture_size = state.captures.Size();
  const bool holds = ConditionHolds(state);
  const ElxPtr<CharT> branch = holds ? yes_ : no_;
  if (branch != nullptr && !branch->MatchFirst(state)) {
    state.CutCaptures(capture_size);
    return false;
  }
  state.backtrack.Push(capture_size);
  state.backtrack.Push(holds ? 1 : 0);
  return true;
}

template <class CharT>
bool CConditionElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  state.Step();
  const bool holds = state.backtrack.Pop() != 0;
  const int capture_size = state.backtrack.Pop();
  const ElxPtr<CharT> branch = holds ? yes_ : no_;
  if (branch != nullptr && branch->MatchAgain(state)) {
    state.backtrack.Push(capture_size);
    state.backtrack.Push(holds ? 1 : 0);
    return true;
  }
  state.CutCaptures(capture_size);
  return false;
}

// ---- recursion -------------------------------------------------------------

template <class CharT>
bool CDelegateElxT<CharT>::MatchFirst(CMatchStateT<CharT>& state) const {
  if (target_ == nullptr) return true;
  state.Step();
  if (state.recursion_depth >= state.recursion_limit) return false;
  for (int i = state.active_targets.Size() - 1; i >= 0; --i) {
    if (state.active_targets[i] == target_ && state.active_positions[i] == state.position) return false;
  }
  state.active_targets.Push(target_);
  state.active_positions.Push(state.position);
  ++state.recursion_depth;
  const bool matched = target_->MatchFirst(state);
  --state.recursion_depth;
  state.active_targets.Pop();
  state.active_positions.Pop();
  return matched;
}

template <class CharT>
bool CDelegateElxT<CharT>::MatchAgain(CMatchStateT<CharT>& state) const {
  if (target_ == nullptr) return false;
  state.Step();
  // A retry runs at the depth of the MatchFirst it follows, so the limit
  // cannot be passed here; the check keeps the stack bounded regardless.
  if (state.recursion_depth >= state.recursion_limit) throw RegexStepLimitReached();
  state.active_targets.Push(target_);
  state.active_positions.Push(-1);
  ++state.recursion_depth;
  const bool matched = target_->MatchAgain(state);
  --state.recursion_depth;
  state.active_targets.Pop();
  state.active_positions.Pop();
  return matched;
}

#define CW_REGEX_INSTANTIATE(CharT)         \
  template class CEmptyElxT<CharT>;         \
  template class CGlobalElxT<CharT>;        \
  template class CStringElxT<CharT>;        \
  template class CRangeElxT<CharT>;         \
  template class CPosixElxT<CharT>;         \
  template class CBoundaryElxT<CharT>;      \
  template class CBracketElxT<CharT>;       \
  template class CBackrefElxT<CharT>;       \
  template class CListElxT<CharT>;          \
  template class CAlternativeElxT<CharT>;   \
  template class CRepeatElxT<CharT>;        \
  template class CGreedyElxT<CharT>;        \
  template class CReluctantElxT<CharT>;     \
  template class CPossessiveElxT<CharT>;    \
  template class CIndependentElxT<CharT>;   \
  template class CAssertElxT<CharT>;        \
  template class CConditionElxT<CharT>;     \
  template class CDelegateElxT<CharT>;

CW_REGEX_INSTANTIATE(wchar_t)
CW_REGEX_INSTANTIATE(char16_t)

}  // namespace cw
