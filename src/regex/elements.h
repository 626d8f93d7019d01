// Element stage: the classes a compiled pattern is built from. Each element
// offers two matching operations on a per-search CMatchStateT:
//   MatchFirst: try the element at the current position; on success the
//     position is past what it matched and the element has pushed onto the
//     backtrack stack what its retry needs; on failure the state is unchanged.
//   MatchAgain: called only after a successful MatchFirst/MatchAgain of the
//     same element with the backtrack stack as it left it; moves to the next
//     way of matching (success) or undoes the element completely (failure).
// Elements are immutable once the compiler has finished, so one tree can be
// searched from many threads at once.
#pragma once

#include <cstdint>

#include "regex/buffer.h"

namespace cw {

template <class CharT>
class CMatchStateT;

inline constexpr int kRegexUnbounded = 2147483647;

template <class CharT>
class ElxInterface {
 public:
  virtual bool MatchFirst(CMatchStateT<CharT>& state) const = 0;
  virtual bool MatchAgain(CMatchStateT<CharT>& state) const = 0;
  virtual ~ElxInterface() = default;
};

template <class CharT>
using ElxPtr = const ElxInterface<CharT>*;

// Empty branch or list, discarded atoms, disabled constructs.
template <class CharT>
class CEmptyElxT : public ElxInterface<CharT> {
 public:
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;
};

// '\G' in g mode: holds only at the position where the search began.
template <class CharT>
class CGlobalElxT : public ElxInterface<CharT> {
 public:
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;
};

// A run of literal code units.
template <class CharT>
class CStringElxT : public ElxInterface<CharT> {
 public:
  CStringElxT(const CBufferT<CharT>& units, bool right_to_left, bool ignore_case)
      : units_(units), right_to_left_(right_to_left), ignore_case_(ignore_case) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  CBufferT<CharT> units_;
  bool right_to_left_;
  bool ignore_case_;
};

// A character class: ranges, single members and nested classes, possibly
// negated. Membership of code units below 256 is precomputed by Finish().
template <class CharT>
class CRangeElxT : public ElxInterface<CharT> {
 public:
  CRangeElxT(bool right_to_left, bool positive) : right_to_left_(right_to_left), positive_(positive) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  void AddRange(uint32_t low, uint32_t high) {
    ranges_.Push(low);
    ranges_.Push(high);
  }
  void AddSingle(uint32_t unit) { singles_.Push(unit); }
  void AddNested(ElxPtr<CharT> element) { nested_.Push(element); }
  // Adds the ASCII case counterparts of the ranges and members present now.
  void CloseOverCase();
  // Precomputes membership; call once the class is complete.
  void Finish();
  // Whether a code unit is accepted (membership combined with the positive flag).
  bool Accepts(uint32_t unit) const {
    if (unit < 256) return (low_table_[unit >> 6] >> (unit & 63)) & 1;
    return IsMember(unit) == positive_;
  }
  bool IsMember(uint32_t unit) const;

  CBufferT<uint32_t> ranges_;  // pairs: low, high
  CBufferT<uint32_t> singles_;
  CBufferT<ElxPtr<CharT>> nested_;
  bool right_to_left_;
  bool positive_;

 private:
  uint64_t low_table_[4] = {0, 0, 0, 0};
};

// A POSIX class "[:name:]"; without a classification function it never matches.
// Code units above 255 are outside every class.
template <class CharT>
class CPosixElxT : public ElxInterface<CharT> {
 public:
  using Classifier = bool (*)(uint32_t unit);
  CPosixElxT(Classifier classify, bool right_to_left, bool positive)
      : classify_(classify), right_to_left_(right_to_left), positive_(positive) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;
  bool Accepts(uint32_t unit) const {
    return classify_ != nullptr && classify_(unit) == positive_;
  }

  Classifier classify_;
  bool right_to_left_;
  bool positive_;
};

// Looks up the classification function of a POSIX class name such as
// "alpha:" (the name followed by its closing colon); null when unknown.
bool (*RegexPosixClassifier(const char* name))(uint32_t);

// Zero-width tests: 0 text start, 1 text end, 2 end or before a final line
// break, 3 line start, 4 line end, 7 word boundary.
template <class CharT>
class CBoundaryElxT : public ElxInterface<CharT> {
 public:
  CBoundaryElxT(int kind, bool positive) : kind_(kind), positive_(positive) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;
  bool Holds(const CMatchStateT<CharT>& state) const;

  int kind_;
  bool positive_;
};

// One end of a capturing group.
template <class CharT>
class CBracketElxT : public ElxInterface<CharT> {
 public:
  CBracketElxT(int number, bool closing) : number_(number), closing_(closing) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  int number_;
  bool closing_;
  CBufferT<CharT> name_;
};

// A back-reference to a group by number (or by name, resolved after parsing).
template <class CharT>
class CBackrefElxT : public ElxInterface<CharT> {
 public:
  CBackrefElxT(int number, bool right_to_left, bool ignore_case)
      : number_(number), right_to_left_(right_to_left), ignore_case_(ignore_case) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  int number_;
  bool right_to_left_;
  bool ignore_case_;
  CBufferT<CharT> name_;
};

// A sequence; matched from the last child to the first when right to left.
template <class CharT>
class CListElxT : public ElxInterface<CharT> {
 public:
  explicit CListElxT(bool right_to_left) : right_to_left_(right_to_left) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  CBufferT<ElxPtr<CharT>> children_;
  bool right_to_left_;

 private:
  ElxPtr<CharT> Child(int step) const {
    return right_to_left_ ? children_[children_.Size() - 1 - step] : children_[step];
  }
  bool Forward(CMatchStateT<CharT>& state, int step) const;
};

// Branches tried in pattern order.
template <class CharT>
class CAlternativeElxT : public ElxInterface<CharT> {
 public:
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  CBufferT<ElxPtr<CharT>> branches_;

 private:
  bool TryFrom(CMatchStateT<CharT>& state, int first) const;
};

// Exactly `count_` copies of the child.
template <class CharT>
class CRepeatElxT : public ElxInterface<CharT> {
 public:
  CRepeatElxT(ElxPtr<CharT> child, int count) : child_(child), count_(count) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  ElxPtr<CharT> child_;
  int count_;

 protected:
  bool FixedFirst(CMatchStateT<CharT>& state) const;
  bool FixedAgain(CMatchStateT<CharT>& state) const;
  bool FixedForward(CMatchStateT<CharT>& state, int copy) const;
};

// `count_` copies, then up to `extra_` more, as many as possible first.
template <class CharT>
class CGreedyElxT : public CRepeatElxT<CharT> {
 public:
  CGreedyElxT(ElxPtr<CharT> child, int count, int extra) : CRepeatElxT<CharT>(child, count), extra_(extra) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  int extra_;

 protected:
  // Adds copies after the `copies` extra ones already matched; pushes the count.
  void ExtraPart(CMatchStateT<CharT>& state, int copies) const;

  // A child that matches exactly one code unit in one way (a class) lets the
  // repeat count units in a loop instead of driving the child: same results,
  // no per-copy backtrack entries.
  const CRangeElxT<CharT>* UnitChild() const { return unit_child_; }
  bool UnitFixedFirst(CMatchStateT<CharT>& state) const;
  void UnitExtraPart(CMatchStateT<CharT>& state) const;

 private:
  const CRangeElxT<CharT>* unit_child_ = dynamic_cast<const CRangeElxT<CharT>*>(this->child_);
};

// `count_` copies, then up to `extra_` more, as few as possible first.
template <class CharT>
class CReluctantElxT : public CRepeatElxT<CharT> {
 public:
  CReluctantElxT(ElxPtr<CharT> child, int count, int extra) : CRepeatElxT<CharT>(child, count), extra_(extra) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  int extra_;
};

// Like greedy, but never gives back what it took.
template <class CharT>
class CPossessiveElxT : public CGreedyElxT<CharT> {
 public:
  CPossessiveElxT(ElxPtr<CharT> child, int count, int extra) : CGreedyElxT<CharT>(child, count, extra) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;
};

// "(?>...)": keeps the first way its child matches.
template <class CharT>
class CIndependentElxT : public ElxInterface<CharT> {
 public:
  explicit CIndependentElxT(ElxPtr<CharT> child) : child_(child) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  ElxPtr<CharT> child_;
};

// Look-ahead and look-behind (the child of a look-behind matches right to left).
template <class CharT>
class CAssertElxT : public ElxInterface<CharT> {
 public:
  CAssertElxT(ElxPtr<CharT> child, bool positive) : child_(child), positive_(positive) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  ElxPtr<CharT> child_;
  bool positive_;
};

// "(?(cond)yes|no)": the condition is either "group n has captured" or an assertion.
template <class CharT>
class CConditionElxT : public ElxInterface<CharT> {
 public:
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  int number_ = -1;  // -1 when the condition is the assertion
  CBufferT<CharT> name_;
  ElxPtr<CharT> assertion_ = nullptr;
  ElxPtr<CharT> yes_ = nullptr;
  ElxPtr<CharT> no_ = nullptr;

 private:
  bool ConditionHolds(CMatchStateT<CharT>& state) const;
};

// Recursion: matches the whole pattern or a group at the current position.
// Without a target it matches the empty string.
template <class CharT>
class CDelegateElxT : public ElxInterface<CharT> {
 public:
  explicit CDelegateElxT(int number) : number_(number) {}
  bool MatchFirst(CMatchStateT<CharT>& state) const override;
  bool MatchAgain(CMatchStateT<CharT>& state) const override;

  ElxPtr<CharT> target_ = nullptr;
  int number_;  // -3 while a name is unresolved
  CBufferT<CharT> name_;
};

}  // namespace cw
