// Compiler stage: pattern tokens to an element tree; see compiler.h.
#include "regex/compiler.h"

#include <algorithm>
#include <type_traits>
#include <utility>

namespace cw {
namespace {

constexpr int kSingleLine = 1;
constexpr int kMultiLine = 2;
constexpr int kGlobal = 4;
constexpr int kIgnoreCase = 8;
constexpr int kRightToLeft = 16;

bool IsWhiteSpace(uint32_t unit) { return unit == ' ' || (unit >= 9 && unit <= 13); }
bool IsDigit(uint32_t unit) { return unit >= '0' && unit <= '9'; }
uint32_t AsciiLower(uint32_t unit) { return unit >= 'A' && unit <= 'Z' ? unit + 32 : unit; }

bool IsQuantifierToken(const RegexToken& token) {
  return token.IsSpecial('{') || token.IsSpecial('?') || token.IsSpecial('*') || token.IsSpecial('+');
}

template <class CharT>
uint32_t Unit(CharT c) {
  return static_cast<std::make_unsigned_t<CharT>>(c);
}

// Reads a whole buffer as a decimal number; true only when nothing is left.
template <class CharT>
bool BufferIsDecimal(const CBufferT<CharT>& text, int* value) {
  std::vector<uint32_t> units(text.Size());
  for (int i = 0; i < text.Size(); ++i) units[i] = Unit(text[i]);
  const int used = RegexReadDecimal(units.data(), text.Size(), value);
  return used > 0 && used == text.Size();
}

template <class CharT>
bool NamesEqual(const CBufferT<CharT>& a, const CBufferT<CharT>& b) {
  if (a.Size() != b.Size()) return false;
  for (int i = 0; i < a.Size(); ++i) {
    if (AsciiLower(Unit(a[i])) != AsciiLower(Unit(b[i]))) return false;
  }
  return true;
}

// Which code units may start a match of an element, as far as the tree tells.
struct StartSet {
  uint64_t bits[4] = {0, 0, 0, 0};
  bool high = false;      // some unit above 255
  bool nullable = false;  // may match without consuming
  bool unknown = false;   // cannot tell: any position
  void Add(uint32_t unit) {
    if (unit < 256) {
      bits[unit >> 6] |= uint64_t{1} << (unit & 63);
    } else {
      high = true;
    }
  }
  void Merge(const StartSet& other) {
    for (int i = 0; i < 4; ++i) bits[i] |= other.bits[i];
    high = high || other.high;
    unknown = unknown || other.unknown;
  }
};

// Adds the units below 256 that a one-unit class accepts. A class matched
// right to left gives no start set: marks the set unknown and returns false.
template <class ClassElx>
bool AddAcceptedLowUnits(const ClassElx& element, StartSet* set) {
  if (element.right_to_left_) {
    set->unknown = true;
    return false;
  }
  for (uint32_t u = 0; u < 256; ++u) {
    if (element.Accepts(u)) set->Add(u);
  }
  return true;
}

template <class CharT>
StartSet StartSetOf(ElxPtr<CharT> element) {
  StartSet set;
  if (auto* text = dynamic_cast<const CStringElxT<CharT>*>(element)) {
    if (text->right_to_left_ || text->units_.Empty()) {
      set.unknown = true;
      return set;
    }
    const uint32_t first = Unit(text->units_[0]);
    set.Add(first);
    if (text->ignore_case_) {
      if (first >= 'a' && first <= 'z') set.Add(first - 32);
      if (first >= 'A' && first <= 'Z') set.Add(first + 32);
    }
    return set;
  }
  if (auto* range = dynamic_cast<const CRangeElxT<CharT>*>(element)) {
    if (!AddAcceptedLowUnits(*range, &set)) return set;
    set.high = !range->positive_ || !range->nested_.Empty();
    for (int i = 0; i < range->ranges_.Size(); ++i) set.high = set.high || range->ranges_[i] >= 256;
    for (int i = 0; i < range->singles_.Size(); ++i) set.high = set.high || range->singles_[i] >= 256;
    return set;
  }
  if (auto* posix = dynamic_cast<const CPosixElxT<CharT>*>(element)) {
    if (!AddAcceptedLowUnits(*posix, &set)) return set;
    set.high = posix->Accepts(256);
    return set;
  }
  if (dynamic_cast<const CBoundaryElxT<CharT>*>(element) || dynamic_cast<const CEmptyElxT<CharT>*>(element) ||
      dynamic_cast<const CGlobalElxT<CharT>*>(element) || dynamic_cast<const CBracketElxT<CharT>*>(element) ||
      dynamic_cast<const CAssertElxT<CharT>*>(element)) {
    set.nullable = true;  // zero-width: the next element decides
    return set;
  }
  if (auto* list = dynamic_cast<const CListElxT<CharT>*>(element)) {
    if (list->right_to_left_) {
      set.unknown = true;
      return set;
    }
    for (int i = 0; i < list->children_.Size(); ++i) {
      const StartSet child = StartSetOf<CharT>(list->children_[i]);
      set.Merge(child);
      if (set.unknown || !child.nullable) return set;
    }
    set.nullable = true;
    return set;
  }
  if (auto* alternative = dynamic_cast<const CAlternativeElxT<CharT>*>(element)) {
    set.nullable = alternative->branches_.Empty();
    for (int i = 0; i < alternative->branches_.Size(); ++i) {
      const StartSet branch = StartSetOf<CharT>(alternative->branches_[i]);
      set.Merge(branch);
      set.nullable = set.nullable || branch.nullable;
    }
    return set;
  }
  if (auto* repeat = dynamic_cast<const CRepeatElxT<CharT>*>(element)) {
    set = StartSetOf<CharT>(repeat->child_);
    set.nullable = set.nullable || repeat->count_ == 0;
    return set;
  }
  if (auto* independent = dynamic_cast<const CIndependentElxT<CharT>*>(element)) {
    return StartSetOf<CharT>(independent->child_);
  }
  set.unknown = true;  // back-references, conditions, recursion
  return set;
}

// Shortest and longest text an element can match; longest kWidthUnbounded
// when there is no bound (or it cannot be told).
constexpr int64_t kWidthUnbounded = int64_t{1} << 40;

struct Width {
  int64_t shortest = 0;
  int64_t longest = 0;
};

int64_t CapWidth(int64_t width) { return width > kWidthUnbounded ? kWidthUnbounded : width; }

// width * count without overflow: both are at most kWidthUnbounded.
int64_t MultiplyWidth(int64_t width, int64_t count) {
  if (width == 0 || count == 0) return 0;
  if (width >= kWidthUnbounded || count >= kWidthUnbounded / width) return kWidthUnbounded;
  return width * count;
}

template <class CharT>
Width WidthOf(ElxPtr<CharT> element) {
  if (auto* text = dynamic_cast<const CStringElxT<CharT>*>(element)) {
    return {text->units_.Size(), text->units_.Size()};
  }
  if (dynamic_cast<const CRangeElxT<CharT>*>(element) || dynamic_cast<const CPosixElxT<CharT>*>(element)) {
    return {1, 1};
  }
  if (dynamic_cast<const CBoundaryElxT<CharT>*>(element) || dynamic_cast<const CEmptyElxT<CharT>*>(element) ||
      dynamic_cast<const CGlobalElxT<CharT>*>(element) || dynamic_cast<const CBracketElxT<CharT>*>(element) ||
      dynamic_cast<const CAssertElxT<CharT>*>(element)) {
    return {0, 0};
  }
  if (auto* list = dynamic_cast<const CListElxT<CharT>*>(element)) {
    Width sum;
    for (int i = 0; i < list->children_.Size(); ++i) {
      const Width child = WidthOf<CharT>(list->children_[i]);
      sum.shortest = CapWidth(sum.shortest + child.shortest);
      sum.longest = CapWidth(sum.longest + child.longest);
    }
    return sum;
  }
  if (auto* alternative = dynamic_cast<const CAlternativeElxT<CharT>*>(element)) {
    Width range{alternative->branches_.Empty() ? 0 : kWidthUnbounded, 0};
    for (int i = 0; i < alternative->branches_.Size(); ++i) {
      const Width branch = WidthOf<CharT>(alternative->branches_[i]);
      range.shortest = std::min(range.shortest, branch.shortest);
      range.longest = std::max(range.longest, branch.longest);
    }
    return range;
  }
  if (auto* repeat = dynamic_cast<const CRepeatElxT<CharT>*>(element)) {
    int64_t most = repeat->count_;
    if (auto* greedy = dynamic_cast<const CGreedyElxT<CharT>*>(element)) most += greedy->extra_;
    if (auto* lazy = dynamic_cast<const CReluctantElxT<CharT>*>(element)) most += lazy->extra_;
    const Width child = WidthOf<CharT>(repeat->child_);
    return {MultiplyWidth(child.shortest, repeat->count_), MultiplyWidth(child.longest, most)};
  }
  if (auto* independent = dynamic_cast<const CIndependentElxT<CharT>*>(element)) {
    return WidthOf<CharT>(independent->child_);
  }
  return {0, kWidthUnbounded};  // back-references, conditions, recursion
}

}  // namespace

int RegexReadDecimal(const uint32_t* units, int count, int* value) {
  int i = 0;
  while (i < count && IsWhiteSpace(units[i])) ++i;
  int number = 0;
  int digits = 0;
  while (i < count && digits < 6 && IsDigit(units[i])) {
    number = number * 10 + static_cast<int>(units[i] - '0');
    ++digits;
    ++i;
  }
  if (digits == 0) return 0;
  while (i < count && IsWhiteSpace(units[i])) ++i;
  *value = number;
  return i;
}

template <class CharT>
template <class Element, class... Args>
Element* CPatternCompilerT<CharT>::Make(Args&&... args) {
  auto owned = std::make_unique<Element>(std::forward<Args>(args)...);
  Element* element = owned.get();
  elements_.push_back(std::move(owned));
  return element;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::Stock(int index) {
  if (stock_[index] != nullptr) return stock_[index];
  if (index == 0) {
    stock_[0] = Make<CEmptyElxT<CharT>>();
    return stock_[0];
  }
  const bool right_to_left = index >= 9;
  const int kind = right_to_left ? index - 8 : index;
  // Odd kinds are the positive sets, even kinds their negations ('.' is the
  // negation of nothing / of line feed).
  const bool positive = kind == 3 || kind == 5 || kind == 7;
  auto* range = Make<CRangeElxT<CharT>>(right_to_left, positive);
  switch (kind) {
    case 2:
      range->AddSingle('\n');
      break;
    case 3:
    case 4:
      range->AddRange('A', 'Z');
      range->AddRange('a', 'z');
      range->AddRange('0', '9');
      range->AddSingle('_');
      break;
    case 5:
    case 6:
      for (uint32_t unit : {32u, 9u, 13u, 10u}) range->AddSingle(unit);
      if (right_to_left) {
        range->AddSingle(12);
        range->AddSingle(11);
      }
      break;
    case 7:
    case 8:
      range->AddRange('0', '9');
      break;
    default:  // kind 1: any code unit, the negation of the empty set
      break;
  }
  range->Finish();
  stock_[index] = range;
  return range;
}

// ---- tokens ----------------------------------------------------------------

template <class CharT>
void CPatternCompilerT<CharT>::Advance() {
  tokens_[0] = tokens_[1];
  tokens_[1] = tokens_[2];
  tokens_[2] = tokens_[3];
  tokens_[3] = scanner_->Next();
}

template <class CharT>
bool CPatternCompilerT<CharT>::AtListEnd() const {
  return Cur().IsEnd() || Cur().IsSpecial('|') || Cur().IsSpecial(')');
}

template <class CharT>
void CPatternCompilerT<CharT>::SkipGroup() {
  int depth = 0;
  while (!Cur().IsEnd()) {
    if (Cur().IsSpecial('(')) ++depth;
    if (Cur().IsSpecial(')') && --depth == 0) {
      Advance();
      return;
    }
    Advance();
  }
}

template <class CharT>
void CPatternCompilerT<CharT>::ConsumeClose() {
  if (Cur().IsSpecial(')')) Advance();
}

// Reads a name from the current opener ('<' or apostrophe) up to `closer`.
template <class CharT>
CBufferT<CharT> CPatternCompilerT<CharT>::ReadName(uint32_t closer) {
  CBufferT<CharT> name;
  Advance();  // the opener
  while (!Cur().IsEnd() && Cur().unit != closer) {
    name.Push(static_cast<CharT>(Cur().unit));
    Advance();
  }
  if (!Cur().IsEnd()) Advance();
  return name;
}

template <class CharT>
CBufferT<CharT> CPatternCompilerT<CharT>::ReadUpToClose() {
  CBufferT<CharT> text;
  while (!Cur().IsEnd() && !Cur().IsSpecial(')')) {
    text.Push(static_cast<CharT>(Cur().unit));
    Advance();
  }
  return text;
}

// ---- grammar ---------------------------------------------------------------

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseAlternative(Flags flags) {
  if (Cur().IsEnd()) return Stock(0);
  ++nesting_;
  ElxPtr<CharT> first = ParseList(flags);
  if (!Cur().IsSpecial('|')) {
    --nesting_;
    return first;
  }
  auto* alternative = Make<CAlternativeElxT<CharT>>();
  alternative->branches_.Push(first);
  while (Cur().IsSpecial('|')) {
    Advance();
    alternative->branches_.Push(ParseList(flags));
  }
  --nesting_;
  return alternative;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseList(Flags& flags) {
  if (AtListEnd()) return Stock(0);
  ElxPtr<CharT> first = ParseRepeat(flags);
  if (AtListEnd()) return first;
  auto* list = Make<CListElxT<CharT>>((flags & kRightToLeft) != 0);
  list->children_.Push(first);
  while (!AtListEnd()) list->children_.Push(ParseRepeat(flags));
  return list;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseRepeat(Flags& flags) {
  ElxPtr<CharT> element = ParseSimple(flags);
  if (IsQuantifierToken(Cur())) return ApplyQuantifier(element);
  return element;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseSimple(Flags& flags) {
  CBufferT<CharT> run;
  for (;;) {
    const RegexToken token = Cur();
    if (token.IsLiteral()) {
      // A quantifier binds to the single last character.
      if (IsQuantifierToken(Next())) {
        if (run.Empty()) {
          run.Push(static_cast<CharT>(token.unit));
          Advance();
        }
        break;
      }
      run.Push(static_cast<CharT>(token.unit));
      Advance();
      continue;
    }
    if (!run.Empty()) break;
    if (token.IsEnd()) return Stock(0);
    switch (token.unit) {
      case ')':
      case '|':
        return Stock(0);
      case '(':
        return ParseGroup(flags);
      case '[': case '.': case 'd': case 'D': case 'w': case 'W': case 's': case 'S':
        return ParseClass(flags);
      case '^': case '$': case 'A': case 'Z': case 'z': case 'b': case 'B': case 'G':
        return ParseBoundary(flags);
      case '\\': case 'k': case 'g':
        return ParseBackref(flags);
      default:  // a special without meaning here stands for itself
        run.Push(static_cast<CharT>(token.unit));
        Advance();
        break;
    }
  }
  return Make<CStringElxT<CharT>>(run, (flags & kRightToLeft) != 0, (flags & kIgnoreCase) != 0);
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseClass(Flags flags) {
  const int direction = (flags & kRightToLeft) ? 8 : 0;
  const RegexToken token = Cur();
  int stock = 0;
  switch (token.unit) {
    case '.': stock = (flags & kSingleLine) ? 1 : 2; break;
    case 'w': stock = 3; break;
    case 'W': stock = 4; break;
    case 's': stock = 5; break;
    case 'S': stock = 6; break;
    case 'd': stock = 7; break;
    case 'D': stock = 8; break;
    default:
      return Next().IsSpecial(':') ? ParsePosix(flags) : ParseBracketClass(flags);
  }
  Advance();
  return Stock(stock + direction);
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParsePosix(Flags flags) {
  Advance();  // '['
  std::vector<char> text;
  while (!Cur().IsEnd() && !Cur().IsSpecial(']')) {
    text.push_back(Cur().unit > 255 ? 0 : static_cast<char>(Cur().unit));
    Advance();
  }
  if (Cur().IsSpecial(']')) Advance();
  text.push_back(0);
  const bool negated = text.size() > 2 && text[1] == '^';
  const char* name = text.size() > 1 ? text.data() + (negated ? 2 : 1) : text.data() + text.size() - 1;
  return Make<CPosixElxT<CharT>>(RegexPosixClassifier(name), (flags & kRightToLeft) != 0, !negated);
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseBracketClass(Flags flags) {
  Advance();  // '['
  bool positive = true;
  if (Cur().IsSpecial('^')) {
    positive = false;
    Advance();
  }
  auto* range = Make<CRangeElxT<CharT>>((flags & kRightToLeft) != 0, positive);
  while (!Cur().IsEnd() && !Cur().IsSpecial(']')) {
    const RegexToken token = Cur();
    if (token.special && (token.unit == 'd' || token.unit == 'D' || token.unit == 'w' || token.unit == 'W' ||
                          token.unit == 's' || token.unit == 'S')) {
      range->AddNested(ParseClass(flags));
      continue;
    }
    if (token.IsSpecial('[') && Next().IsSpecial(':')) {
      range->AddNested(ParsePosix(flags));
      continue;
    }
    if (Next().IsSpecial('-') && AfterNext().IsLiteral()) {
      range->AddRange(token.unit, AfterNext().unit);
      Advance();
      Advance();
      Advance();
      continue;
    }
    range->AddSingle(token.unit);
    Advance();
  }
  if (Cur().IsSpecial(']')) Advance();
  if (flags & kIgnoreCase) range->CloseOverCase();
  range->Finish();
  return range;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseBoundary(Flags flags) {
  const uint32_t unit = Cur().unit;
  Advance();
  switch (unit) {
    case '^': return Make<CBoundaryElxT<CharT>>((flags & kMultiLine) ? 3 : 0, true);
    case '$': return Make<CBoundaryElxT<CharT>>((flags & kMultiLine) ? 4 : 1, true);
    case 'A': return Make<CBoundaryElxT<CharT>>(0, true);
    case 'z': return Make<CBoundaryElxT<CharT>>(1, true);
    case 'Z': return Make<CBoundaryElxT<CharT>>(2, true);
    case 'b': return Make<CBoundaryElxT<CharT>>(7, true);
    case 'B': return Make<CBoundaryElxT<CharT>>(7, false);
    default:  // 'G'
      if (flags & kGlobal) return Make<CGlobalElxT<CharT>>();
      return Stock(0);
  }
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseBackref(Flags flags) {
  Advance();  // '\', 'k' or 'g'
  int number = 0;
  CBufferT<CharT> name;
  bool named = false;
  if (Cur().unit == '<' || Cur().unit == '\'') {
    name = ReadName(Cur().unit == '<' ? '>' : '\'');
    named = !BufferIsDecimal(name, &number);
  } else {
    for (int digits = 0; digits < 3 && Cur().IsLiteral() && IsDigit(Cur().unit); ++digits) {
      number = number * 10 + static_cast<int>(Cur().unit - '0');
      Advance();
    }
  }
  auto* backref = Make<CBackrefElxT<CharT>>(named ? -3 : number, (flags & kRightToLeft) != 0,
                                            (flags & kIgnoreCase) != 0);
  if (named) {
    backref->name_ = name;
    named_backrefs_.push_back(backref);
  }
  return backref;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseCapture(Flags flags, int number, const CBufferT<CharT>* name) {
  const bool right_to_left = (flags & kRightToLeft) != 0;
  auto* list = Make<CListElxT<CharT>>(right_to_left);
  // Right to left the second bracket is met first, so it opens the group.
  auto* first = Make<CBracketElxT<CharT>>(number, right_to_left);
  auto* second = Make<CBracketElxT<CharT>>(number, !right_to_left);
  const GroupEntry entry{list, right_to_left ? second : first, right_to_left ? first : second};
  if (name != nullptr) {
    first->name_ = *name;
    second->name_ = *name;
    named_groups_.push_back(entry);
  } else {
    group_entries_.push_back(entry);
  }
  ElxPtr<CharT> inner = ParseAlternative(flags);
  ConsumeClose();
  list->children_.Push(first);
  list->children_.Push(inner);
  list->children_.Push(second);
  return list;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseGroup(Flags& flags) {
  if (nesting_ >= kRegexMaxNesting) {
    SkipGroup();
    return Stock(0);
  }
  Advance();  // '('
  if (!Cur().IsSpecial('?')) return ParseCapture(flags, ++highest_group_, nullptr);
  Advance();  // '?'
  const RegexToken token = Cur();
  if (token.IsSpecial('(')) return ParseCondition(flags);
  if (token.special) return ParseModifiers(flags);
  const uint32_t unit = token.unit;
  ElxPtr<CharT> inner = nullptr;
  switch (unit) {
    case ':':
      Advance();
      inner = ParseAlternative(flags);
      ConsumeClose();
      return inner;
    case '=':
    case '!':
      Advance();
      inner = ParseAlternative(flags & ~kRightToLeft);
      ConsumeClose();
      return Make<CAssertElxT<CharT>>(inner, unit == '=');
    case '>':
      Advance();
      inner = ParseAlternative(flags);
      ConsumeClose();
      return Make<CIndependentElxT<CharT>>(inner);
    case 'R':
      return ParseRecursion();
    case '<':
      if (Next().IsLiteral() && (Next().unit == '=' || Next().unit == '!')) {
        const bool positive = Next().unit == '=';
        Advance();
        Advance();
        inner = ParseAlternative(flags | kRightToLeft);
        ConsumeClose();
        return Make<CAssertElxT<CharT>>(inner, positive);
      }
      break;
    case '\'':
      break;
    case 'P':
      if (Next().unit != '<' && Next().unit != '\'') return ParseModifiers(flags);
      Advance();
      break;
    default: {
      // "(?n)": recursion into group n, white space before n allowed.
      int i = token.position;
      while (i < length_ && IsWhiteSpace(Unit(pattern_[i]))) ++i;
      if (i < length_ && IsDigit(Unit(pattern_[i])) && (IsDigit(unit) || IsWhiteSpace(unit))) {
        CBufferT<CharT> text = ReadUpToClose();
        ConsumeClose();
        int number = 0;
        std::vector<uint32_t> units(text.Size());
        for (int k = 0; k < text.Size(); ++k) units[k] = Unit(text[k]);
        RegexReadDecimal(units.data(), text.Size(), &number);
        auto* delegate = Make<CDelegateElxT<CharT>>(number);
        recursions_.push_back(delegate);
        return delegate;
      }
      return ParseModifiers(flags);
    }
  }
  // A named group: "(?<name>...)", "(?'name'...)", "(?P<name>...)".
  const CBufferT<CharT> name = ReadName(Cur().unit == '<' ? '>' : '\'');
  int number = 0;
  if (!BufferIsDecimal(name, &number) || number <= 0) number = -1;
  return ParseCapture(flags, number, &name);
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseRecursion() {
  Advance();  // 'R'
  int number = 0;
  CBufferT<CharT> name;
  bool named = false;
  if (Cur().unit == '<' || Cur().unit == '\'') {
    name = ReadName(Cur().unit == '<' ? '>' : '\'');
    named = !BufferIsDecimal(name, &number);
    ReadUpToClose();
  } else {
    const CBufferT<CharT> text = ReadUpToClose();
    std::vector<uint32_t> units(text.Size());
    for (int k = 0; k < text.Size(); ++k) units[k] = Unit(text[k]);
    RegexReadDecimal(units.data(), text.Size(), &number);
  }
  ConsumeClose();
  auto* delegate = Make<CDelegateElxT<CharT>>(named ? -3 : number);
  if (named) delegate->name_ = name;
  recursions_.push_back(delegate);
  return delegate;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseCondition(Flags flags) {
  auto* condition = Make<CConditionElxT<CharT>>();
  if (Next().IsSpecial('?')) {
    Flags copy = flags;
    condition->assertion_ = ParseGroup(copy);
  } else {
    Advance();  // '('
    const int text_begin = Cur().position;
    ElxPtr<CharT> inner = ParseAlternative(flags & ~kRightToLeft);
    const int text_end = Cur().position;
    ConsumeClose();
    CBufferT<CharT> text(pattern_ + text_begin, text_end > text_begin ? text_end - text_begin : 0);
    int number = 0;
    if (BufferIsDecimal(text, &number)) {
      condition->number_ = number;
    } else {
      condition->assertion_ = Make<CAssertElxT<CharT>>(inner, true);
      condition->name_ = text;
      named_conditions_.push_back(condition);
    }
  }
  Flags branch_flags = flags;
  condition->yes_ = ParseList(branch_flags);
  if (Cur().IsSpecial('|')) {
    Advance();
    condition->no_ = ParseAlternative(branch_flags);
  }
  ConsumeClose();
  return condition;
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ParseModifiers(Flags& flags) {
  Flags modified = flags;
  bool clearing = false;
  for (;;) {
    const RegexToken token = Cur();
    if (token.IsEnd()) {
      flags = modified;
      return Stock(0);
    }
    if (token.IsSpecial(')')) {
      Advance();
      flags = modified;
      return Stock(0);
    }
    if (token.IsSpecial('(') || (token.IsLiteral() && token.unit == ':')) {
      if (!token.special) Advance();
      ElxPtr<CharT> inner = ParseAlternative(modified);
      ConsumeClose();
      return inner;
    }
    int bit = 0;
    switch (token.unit) {
      case 'g': case 'G': bit = kGlobal; break;
      case 'i': case 'I': bit = kIgnoreCase; break;
      case 'm': case 'M': bit = kMultiLine; break;
      case 's': case 'S': bit = kSingleLine; break;
      case '-': clearing = true; break;
      default: break;
    }
    modified = clearing ? (modified & ~bit) : (modified | bit);
    Advance();
  }
}

template <class CharT>
ElxPtr<CharT> CPatternCompilerT<CharT>::ApplyQuantifier(ElxPtr<CharT> element) {
  const RegexToken token = Cur();
  Advance();
  int minimum = 0;
  int maximum = kRegexUnbounded;
  if (token.unit == '+') {
    minimum = 1;
  } else if (token.unit == '?') {
    maximum = 1;
  } else if (token.unit == '{') {
    std::vector<uint32_t> text;
    while (!Cur().IsEnd() && !Cur().IsSpecial('}')) {
      text.push_back(Cur().unit > 255 ? 0 : Cur().unit);
      Advance();
    }
    if (Cur().IsSpecial('}')) Advance();
    const int count = static_cast<int>(text.size());
    const int used = RegexReadDecimal(text.data(), count, &minimum);
    if (used == 0) {
      minimum = 0;
      maximum = 0;
    } else if (used < count && text[used] == ',') {
      int upper = 0;
      if (RegexReadDecimal(text.data() + used + 1, count - used - 1, &upper) > 0) {
        maximum = std::max(upper, minimum);
      }
    } else {
      maximum = minimum;
    }
  }
  if (maximum == 0 || minimum == maximum) {
    if (Cur().IsSpecial('?') || Cur().IsSpecial('+')) Advance();
    if (maximum == 0) return Stock(0);
    return Make<CRepeatElxT<CharT>>(element, minimum);
  }
  const int extra = maximum - minimum;
  if (Cur().IsSpecial('?')) {
    Advance();
    return Make<CReluctantElxT<CharT>>(element, minimum, extra);
  }
  if (Cur().IsSpecial('+')) {
    Advance();
    return Make<CPossessiveElxT<CharT>>(element, minimum, extra);
  }
  return Make<CGreedyElxT<CharT>>(element, minimum, extra);
}

// ---- after parsing ---------------------------------------------------------

template <class CharT>
void CPatternCompilerT<CharT>::NumberNamedGroups() {
  for (size_t i = 0; i < named_groups_.size(); ++i) {
    GroupEntry& entry = named_groups_[i];
    int number = entry.open->number_;
    if (number <= 0) {
      number = -1;
      for (size_t j = 0; j < i && number < 0; ++j) {
        if (NamesEqual(named_groups_[j].open->name_, entry.open->name_)) number = named_groups_[j].open->number_;
      }
      if (number < 0) number = ++highest_group_;
    }
    entry.open->number_ = number;
    entry.close->number_ = number;
    ++named_group_count_;
    group_list_.push_back(entry.list);
    group_entries_.push_back(entry);
  }
  for (const GroupEntry& entry : group_entries_) highest_group_ = std::max(highest_group_, entry.open->number_);
}

template <class CharT>
int CPatternCompilerT<CharT>::NumberOfName(const CBufferT<CharT>& name) const {
  for (const GroupEntry& entry : named_groups_) {
    if (NamesEqual(entry.open->name_, name)) return entry.open->number_;
  }
  return -3;
}

template <class CharT>
void CPatternCompilerT<CharT>::ResolveReferences() {
  for (CDelegateElxT<CharT>* delegate : recursions_) {
    if (!delegate->name_.Empty()) delegate->number_ = NumberOfName(delegate->name_);
    const int number = delegate->number_;
    if (number == 0) {
      delegate->target_ = top_;
    } else if (number > 0 && number <= highest_group_) {
      for (const GroupEntry& entry : group_entries_) {
        if (entry.open->number_ == number) {
          delegate->target_ = entry.list;
          break;
        }
      }
    }
  }
  for (CBackrefElxT<CharT>* backref : named_backrefs_) backref->number_ = NumberOfName(backref->name_);
  for (CConditionElxT<CharT>* condition : named_conditions_) {
    const int number = NumberOfName(condition->name_);
    if (number != -3) {
      condition->number_ = number;
      condition->assertion_ = nullptr;
    }
  }
}

template <class CharT>
int CPatternCompilerT<CharT>::TreeDepth(ElxPtr<CharT> element, int depth) const {
  if (element == nullptr) return depth;
  ++depth;
  int deepest = depth;
  auto visit = [&](ElxPtr<CharT> child) { deepest = std::max(deepest, TreeDepth(child, depth)); };
  if (auto* list = dynamic_cast<const CListElxT<CharT>*>(element)) {
    for (int i = 0; i < list->children_.Size(); ++i) visit(list->children_[i]);
  } else if (auto* alternative = dynamic_cast<const CAlternativeElxT<CharT>*>(element)) {
    for (int i = 0; i < alternative->branches_.Size(); ++i) visit(alternative->branches_[i]);
  } else if (auto* repeat = dynamic_cast<const CRepeatElxT<CharT>*>(element)) {
    visit(repeat->child_);
  } else if (auto* independent = dynamic_cast<const CIndependentElxT<CharT>*>(element)) {
    visit(independent->child_);
  } else if (auto* assertion = dynamic_cast<const CAssertElxT<CharT>*>(element)) {
    visit(assertion->child_);
  } else if (auto* condition = dynamic_cast<const CConditionElxT<CharT>*>(element)) {
    visit(condition->assertion_);
    visit(condition->yes_);
    visit(condition->no_);
  }
  return deepest;
}

template <class CharT>
void CPatternCompilerT<CharT>::AnalyseStart() {
  const StartSet set = StartSetOf<CharT>(top_);
  anywhere_ = set.unknown || set.nullable;
  for (int i = 0; i < 4; ++i) first_units_[i] = set.bits[i];
  first_high_ = set.high;
  // A literal every match begins with, looking through leading brackets.
  ElxPtr<CharT> element = top_;
  while (element != nullptr) {
    if (auto* text = dynamic_cast<const CStringElxT<CharT>*>(element)) {
      if (!text->right_to_left_ && !text->ignore_case_) prefix_ = text->units_;
      break;
    }
    auto* list = dynamic_cast<const CListElxT<CharT>*>(element);
    if (list == nullptr || list->right_to_left_) break;
    element = nullptr;
    for (int i = 0; i < list->children_.Size(); ++i) {
      if (dynamic_cast<const CBracketElxT<CharT>*>(list->children_[i]) == nullptr) {
        element = list->children_[i];
        break;
      }
    }
  }
}

// Looks along the top sequence for a case-sensitive literal after the first
// element whose distance from the match start is bounded.
template <class CharT>
void CPatternCompilerT<CharT>::FindRequiredLiteral() {
  auto* list = dynamic_cast<const CListElxT<CharT>*>(top_);
  if (list == nullptr || list->right_to_left_) return;
  int64_t longest = 0;
  for (int i = 0; i < list->children_.Size() && longest < kWidthUnbounded; ++i) {
    auto* text = dynamic_cast<const CStringElxT<CharT>*>(list->children_[i]);
    if (i > 0 && text != nullptr && !text->right_to_left_ && !text->ignore_case_ && longest < (1 << 30)) {
      required_ = text->units_;
      required_max_offset_ = static_cast<int>(longest);
      return;
    }
    longest = CapWidth(longest + WidthOf<CharT>(list->children_[i]).longest);
  }
}

template <class CharT>
void CPatternCompilerT<CharT>::Compile(const CharT* pattern, int length, int flags) {
  if (pattern == nullptr) return;
  pattern_ = pattern;
  length_ = length;
  scanner_ = std::make_unique<CScannerT<CharT>>(pattern, length);
  for (int i = 1; i < 4; ++i) tokens_[i] = scanner_->Next();
  flags_ = 0;
  top_ = ParseAlternative(flags & (kSingleLine | kMultiLine | kGlobal | kIgnoreCase));
  group_list_.push_back(top_);
  for (const GroupEntry& entry : group_entries_) group_list_.push_back(entry.list);
  NumberNamedGroups();
  ResolveReferences();
  AnalyseStart();
  FindRequiredLiteral();
  recursion_limit_ = std::max(1, kRegexCallBudget / std::max(1, TreeDepth(top_, 0)));
  scanner_.reset();
  pattern_ = nullptr;
}

template class CPatternCompilerT<wchar_t>;
template class CPatternCompilerT<char16_t>;

}  // namespace cw
