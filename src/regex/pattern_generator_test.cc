// Random pattern and text generator for the differential tests against PCRE2,
// and tests of the generator itself.
//
// Deliberate differences between our engine and PCRE2 that the generator (and
// the oracle's settings, see pcre2_oracle.h) keeps out of the corpus:
//  - '$' before a final line feed: PCRE2 runs with DOLLAR_ENDONLY; '^' in
//    multi-line mode after a final line feed: ALT_CIRCUMFLEX.
//  - Carriage return as a line break: ours reads CR and CR LF as breaks for
//    multi-line '^' and '$' and for '\Z'; PCRE2 runs with LF only. Texts hold
//    no CR when the pattern has '\Z' or multi-line '^'/'$'.
//  - '\s' does not match form feed or vertical tab in ours (outside
//    look-behind): texts never hold either; '\v' (a class in PCRE2) is unused.
//  - Braces that are not a quantifier ('{,n}', 'x{'): literal braces are
//    always escaped; quantifiers have minimum <= maximum.
//  - Empty classes '[]', '[^]', and ']' ':' '^' '-' '[' '.' '=' as class members
//    ('[.' and '[=' start collating elements in PCRE2, '(?#' starts a comment
//    even inside a class in ours):
//    classes are never empty and these members are always escaped; no range
//    ends at a class escape ('[\d-z]' is an error in PCRE2).
//  - A repeat with a variable count whose subpattern can match the empty
//    string: ours never counts an empty copy and asks it for a non-empty way
//    first, PCRE2 accepts one empty copy. Variable repeats only wrap
//    subpatterns that always consume input; assertions and anchors are never
//    quantified.
//  - A possessive '+' after a fixed count ('{2}+'): ignored by ours, atomic in
//    PCRE2. Only variable repeats are possessive.
//  - Named groups are numbered after the plain ones in ours, in order of
//    appearance in PCRE2: a pattern has either only plain or only named groups,
//    names are unique, and named references use '\k<n>' or '\k'n'' ('\g<n>' is
//    a subroutine call in PCRE2, '\k{n}' means group 0 in ours).
//  - '\0' is group 0 in ours and NUL in PCRE2; a reference reads up to three
//    digits in ours, also digits written as '\x39' or quoted '\Q9\E': numeric
//    references are '\1'..'\9', wrapped in '(?:)' before any literal digit.
//  - A reference to a group that has not closed yet (forward or from inside
//    itself): ours uses the text captured so far. References and conditions
//    name only groups that closed earlier in the pattern.
//  - Look-behind: PCRE2 needs every top-level branch of fixed length and no
//    references; ours matches right to left without that limit. Look-behind
//    bodies have fixed-length branches, equal-length nested alternatives, no
//    references and no conditions.
//  - A capturing group repeated inside a look-behind: ours matches right to
//    left, so the copy matched last (the one it reports) is the leftmost;
//    PCRE2 reports the rightmost. Repeats in look-behind hold no groups.
//  - A group repeated 0 times: PCRE2 still lets anchors and assertions inside
//    it steer its start-of-match optimisation ('(?:\b|\A){0}a' misses "ba").
//    '{0}' is applied to single characters and classes only.
//  - Condition branches: '(?(1)a|b|c)' is an error in PCRE2, and an inline
//    modifier directly inside a branch may scope differently: each branch is
//    one sequence without a bare modifier.
//  - Groups inside a negative assertion that serves as a condition: PCRE2
//    keeps what they captured although the assertion failed; ours drops it.
//    Such assertions hold no groups.
//  - A class combining a POSIX class, a negated set (negated POSIX, '\D', '\W',
//    '\S') and another set: PCRE2 loses units above 255 depending on the
//    order ('[\W[:punct:]]' and '[[:punct:]\W]' differ). Not generated.
//  - '[:lower:]' and '[:upper:]' under 'i' match both cases in PCRE2: not used
//    where 'i' is on.
//  - Modifier letters other than i, m, s ('g' is ours only; x, n, U, J are
//    PCRE2's), '\G', recursion, '\L' '\U' quoting, '\u', '\x' with one digit,
//    octal and control escapes: never generated.
//  - '\x{...}' above 0xFFFF: ours keeps 16 bits (patterns are UTF-16 code
//    units); such units appear only in texts.
//  - A start beyond the text length is an error in PCRE2: starts stay within
//    the text (negative starts are compared with PCRE2 at 0).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "regex/pattern_generator.h"
#include "regex/pcre2_oracle.h"

namespace cw::testing {

namespace {

constexpr int kMaxCaptures = 9;
constexpr int kMaxDepth = 3;

const std::wstring kPatternChars =
    L"aaaabbbbcccABxz0129 _-.\n\t:#/*+?.()[]{}|^$\\";
const std::wstring kRarePatternChars = L"\r\u00e9\u03a9\uFFFF";
const std::wstring kTextChars = L"aaaabbbbcccABxz019 _-.\n\t:";
const wchar_t* const kPosixNames[] = {L"alnum", L"alpha", L"ascii", L"cntrl", L"digit", L"graph", L"lower",
                                      L"print", L"punct", L"space", L"upper", L"xdigit", L"blank"};
const wchar_t* const kAnchors[] = {L"^", L"$", L"\\A", L"\\z", L"\\Z", L"\\b", L"\\B"};
const wchar_t kEscapeLetters[] = L"dDwWsS";
const int kFlagBits[] = {kGenIgnoreCase, kGenMultiline, kGenDotAll};
const wchar_t kFlagLetters[] = L"ims";

bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsPosixCaseName(const std::wstring& name) { return name == L"lower" || name == L"upper"; }
bool IsQuantifiable(const PatternNode& n) {
  switch (n.kind) {
    case PatternNode::kChar:
    case PatternNode::kDot:
    case PatternNode::kEscape:
    case PatternNode::kClass:
    case PatternNode::kBackref:
      return true;
    case PatternNode::kGroup:
      return n.group == PatternNode::kCapture || n.group == PatternNode::kNonCapture ||
             n.group == PatternNode::kAtomic || n.group == PatternNode::kModified;
    default:
      return false;
  }
}
// PCRE2 loses units above 255 in classes that combine a negated set (a
// negated POSIX class or '\D' '\W' '\S') with a POSIX class and another
// set, depending on their order: '[\W[:punct:]]' and '[[:punct:]\W]' differ.
bool MixesPosixAndNegatedSets(const PatternNode& n) {
  int posix = 0, sets = 0, negated_sets = 0;
  for (const auto& m : n.members) {
    posix += m.kind == ClassMember::kPosix;
    sets += m.kind == ClassMember::kPosix || m.kind == ClassMember::kEscape;
    negated_sets += (m.kind == ClassMember::kPosix && m.posix_negated) ||
                    (m.kind == ClassMember::kEscape && m.lo >= L'A' && m.lo <= L'Z');
  }
  return posix > 0 && negated_sets > 0 && sets > 1;
}
bool IsLookaround(const PatternNode& n) {
  return n.kind == PatternNode::kGroup && (n.group == PatternNode::kAhead || n.group == PatternNode::kNotAhead ||
                                           n.group == PatternNode::kBehind || n.group == PatternNode::kNotBehind);
}
int CountCaptures(const PatternNode& n);

// PCRE2 keeps the captures of a negative assertion used as a condition after
// it failed; ours drops them. Such assertions hold no groups.
bool ConditionKeepsCaptures(const PatternNode& assertion) {
  bool negative = assertion.group == PatternNode::kNotAhead || assertion.group == PatternNode::kNotBehind;
  return negative && CountCaptures(assertion) > 0;
}
bool IsBehind(const PatternNode& n) {
  return n.kind == PatternNode::kGroup && (n.group == PatternNode::kBehind || n.group == PatternNode::kNotBehind);
}

std::wstring Hex(unsigned long v) {
  const wchar_t digits[] = L"0123456789abcdef";
  std::wstring s;
  do {
    s.insert(s.begin(), digits[v % 16]);
    v /= 16;
  } while (v);
  return s;
}

int CountCaptures(const PatternNode& n) {
  int count = n.kind == PatternNode::kGroup && n.group == PatternNode::kCapture;
  for (const auto& c : n.children) count += CountCaptures(c);
  return count;
}

// Whether a subpattern can match the empty string. |groups| gives this for
// capture ids (references repeat their group's text); unknown ids count as
// possibly empty.
bool Nullable(const PatternNode& n, const std::map<int, bool>& groups) {
  switch (n.kind) {
    case PatternNode::kAlt:
      for (const auto& c : n.children)
        if (Nullable(c, groups)) return true;
      return n.children.empty();
    case PatternNode::kSeq:
      for (const auto& c : n.children)
        if (!Nullable(c, groups)) return false;
      return true;
    case PatternNode::kRepeat:
      return n.min == 0 || Nullable(n.children[0], groups);
    case PatternNode::kChar:
    case PatternNode::kDot:
    case PatternNode::kEscape:
    case PatternNode::kClass:
      return false;
    case PatternNode::kQuote:
      return n.text.empty();
    case PatternNode::kAnchor:
    case PatternNode::kFlags:
      return true;
    case PatternNode::kGroup:
      return IsLookaround(n) || Nullable(n.children[0], groups);
    case PatternNode::kBackref: {
      auto it = groups.find(n.id);
      return it == groups.end() || it->second;
    }
    case PatternNode::kCondition:
      return Nullable(n.children[0], groups) || !n.has_no || Nullable(n.children[1], groups);
  }
  return true;
}

void CollectNullableGroups(const PatternNode& n, std::map<int, bool>* groups) {
  for (const auto& c : n.children) CollectNullableGroups(c, groups);
  if (n.kind == PatternNode::kGroup && n.group == PatternNode::kCapture) (*groups)[n.id] = Nullable(n.children[0], *groups);
}

// Length of every match of a subpattern inside a look-behind, -1 when it
// varies. Nested alternatives must agree exactly.
int FixedLength(const PatternNode& n) {
  switch (n.kind) {
    case PatternNode::kAlt: {
      int len = -2;
      for (const auto& c : n.children) {
        int l = FixedLength(c);
        if (l < 0 || (len != -2 && l != len)) return -1;
        len = l;
      }
      return len == -2 ? 0 : len;
    }
    case PatternNode::kSeq: {
      int sum = 0;
      for (const auto& c : n.children) {
        int l = FixedLength(c);
        if (l < 0) return -1;
        sum += l;
      }
      return sum;
    }
    case PatternNode::kRepeat: {
      int l = FixedLength(n.children[0]);
      return n.min == n.max && l >= 0 ? l * n.min : -1;
    }
    case PatternNode::kChar:
    case PatternNode::kDot:
    case PatternNode::kEscape:
    case PatternNode::kClass:
      return 1;
    case PatternNode::kQuote:
      return static_cast<int>(n.text.size());
    case PatternNode::kAnchor:
    case PatternNode::kFlags:
      return 0;
    case PatternNode::kGroup:
      return IsLookaround(n) ? 0 : FixedLength(n.children[0]);
    default:
      return -1;
  }
}

// Every top-level branch of a look-behind body has a fixed length.
bool BehindBodyIsFixed(const PatternNode& alt) {
  for (const auto& seq : alt.children)
    if (FixedLength(seq) < 0) return false;
  return true;
}

PatternNode MakeChar(wchar_t c) {
  PatternNode n;
  n.kind = PatternNode::kChar;
  n.unit = c;
  return n;
}

PatternNode SeqOf(std::vector<PatternNode> items) {
  PatternNode n;
  n.kind = PatternNode::kSeq;
  n.children = std::move(items);
  return n;
}

PatternNode AltOf(std::vector<PatternNode> seqs) {
  PatternNode n;
  n.kind = PatternNode::kAlt;
  n.children = std::move(seqs);
  return n;
}

}  // namespace

// ---- generation ----

struct PatternGenerator::Context {
  int depth = 0;
  bool in_behind = false;
  bool in_cond_branch = false;
  int captures = 0;  // shared count, see NextPattern
};

PatternGenerator::PatternGenerator(uint64_t seed, GeneratorOptions options) : rng_(seed), options_(options) {}

GeneratedPattern PatternGenerator::NextPattern() {
  GeneratedPattern p;
  named_ = options_.named_groups && Chance(15);
  p.named = named_;
  closed_.clear();
  next_id_ = 0;
  Context context;
  int flags = 0;
  p.root = Alt(context, flags);
  return p;
}

PatternNode PatternGenerator::Alt(Context& context, int& flags) {
  std::vector<PatternNode> seqs;
  int branches = Chance(75) ? 1 : 2 + Pick(2);
  if (context.depth >= kMaxDepth) branches = 1;
  for (int i = 0; i < branches; ++i) seqs.push_back(Seq(context, flags));
  return AltOf(std::move(seqs));
}

PatternNode PatternGenerator::Seq(Context& context, int& flags) {
  static const int kLengths[] = {0, 1, 1, 2, 2, 2, 3, 3, 4, 5};
  int length = kLengths[Pick(10)];
  if (context.depth == 0 && length == 0) length = 1 + Pick(3);
  std::vector<PatternNode> items;
  for (int i = 0; i < length; ++i) items.push_back(Item(context, flags));
  return SeqOf(std::move(items));
}

PatternNode PatternGenerator::Item(Context& context, int& flags) {
  int r = Pick(100);
  if (r >= 84 && r < 88 && options_.inline_flags && !context.in_cond_branch) {
    PatternNode n;
    n.kind = PatternNode::kFlags;
    do {
      n.set_flags = n.clear_flags = 0;
      for (int bit : kFlagBits) {
        int choice = Pick(3);
        if (choice == 1) n.set_flags |= bit;
        if (choice == 2) n.clear_flags |= bit;
      }
    } while (n.set_flags == 0 && n.clear_flags == 0);
    flags = (flags | n.set_flags) & ~n.clear_flags;
    return n;
  }
  if (r >= 78 && r < 84 && options_.anchors) {
    PatternNode n;
    n.kind = PatternNode::kAnchor;
    n.text = kAnchors[Pick(7)];
    return n;
  }
  if (r >= 88 && r < 94 && options_.backrefs && !closed_.empty() && !context.in_behind) {
    PatternNode n;
    n.kind = PatternNode::kBackref;
    n.id = closed_[Pick(static_cast<int>(closed_.size()))];
    n.style = named_ ? 1 + Pick(2) : 0;
    Quantify(context, &n);
    return n;
  }
  if (r >= 94 && r < 97 && options_.conditions && !context.in_behind && context.depth < kMaxDepth) {
    return Condition(context, flags);
  }
  if (r >= 97 && options_.quoting) {
    PatternNode n;
    n.kind = PatternNode::kQuote;
    int len = 1 + Pick(3);
    for (int i = 0; i < len; ++i) {
      wchar_t c = kPatternChars[Pick(static_cast<int>(kPatternChars.size()))];
      n.text += c == L'\\' ? L'x' : c;
    }
    return n;
  }
  bool quantifiable = false;
  PatternNode atom = Atom(context, flags, &quantifiable);
  if (quantifiable) Quantify(context, &atom);
  return atom;
}

PatternNode PatternGenerator::Atom(Context& context, int flags, bool* quantifiable) {
  int r = Pick(100);
  if (r < 45 || (r >= 75 && context.depth >= kMaxDepth)) {
    *quantifiable = true;
    PatternNode n = MakeChar(PatternChar());
    if (n.unit < 128 && (IsLetter(n.unit) || IsDigit(n.unit)) && Chance(10)) n.style = 1;
    return n;
  }
  if (r < 60) {
    *quantifiable = true;
    PatternNode n;
    if (Chance(40)) {
      n.kind = PatternNode::kDot;
    } else {
      n.kind = PatternNode::kEscape;
      n.unit = kEscapeLetters[Pick(6)];
    }
    return n;
  }
  if (r < 75) {
    *quantifiable = true;
    return ClassNode(flags);
  }
  PatternNode n = Group(context, flags);
  *quantifiable = IsQuantifiable(n);
  return n;
}

PatternNode PatternGenerator::ClassNode(int flags) {
  PatternNode n;
  n.kind = PatternNode::kClass;
  n.negated = Chance(30);
  static const wchar_t kRangeEnds[] = L"abcxzABCXZ0159_ ";
  int count = 1 + Pick(4);
  for (int i = 0; i < count; ++i) {
    ClassMember m;
    int r = Pick(100);
    if (r < 45) {
      m.kind = ClassMember::kSingle;
      m.lo = PatternChar();
    } else if (r < 70) {
      m.kind = ClassMember::kRange;
      wchar_t a = kRangeEnds[Pick(16)], b = kRangeEnds[Pick(16)];
      m.lo = std::min(a, b);
      m.hi = std::max(a, b);
    } else if (r < 90 || !options_.posix) {
      m.kind = ClassMember::kEscape;
      m.lo = kEscapeLetters[Pick(6)];
    } else {
      m.kind = ClassMember::kPosix;
      do {
        m.posix = kPosixNames[Pick(13)];
      } while ((flags & kGenIgnoreCase) && IsPosixCaseName(m.posix));
      m.posix_negated = Chance(30);
    }
    n.members.push_back(m);
  }
  if (MixesPosixAndNegatedSets(n)) {  // keep the sets, drop their negation
    for (auto& m : n.members) {
      m.posix_negated = false;
      if (m.kind == ClassMember::kEscape) m.lo = static_cast<wchar_t>(m.lo | 0x20);
    }
  }
  return n;
}

PatternNode PatternGenerator::Group(Context& context, int flags) {
  PatternNode n;
  n.kind = PatternNode::kGroup;
  Context inner = context;
  inner.depth++;
  inner.in_cond_branch = false;
  int r = Pick(100);
  if (r < 35 && context.captures < kMaxCaptures) {
    n.group = PatternNode::kCapture;
    n.id = next_id_++;
    n.style = named_ ? Pick(3) : 0;
    context.captures++;
    inner.captures = context.captures;
    n.children.push_back(Alt(inner, flags));
    context.captures = inner.captures;
    closed_.push_back(n.id);
    return n;
  }
  if (r >= 60 && r < 77 && options_.lookahead) {
    n.group = r < 70 ? PatternNode::kAhead : PatternNode::kNotAhead;
  } else if (r >= 77 && r < 86 && options_.lookbehind) {
    return Behind(context, flags, r < 82 ? PatternNode::kBehind : PatternNode::kNotBehind);
  } else if (r >= 86 && r < 92 && options_.atomic) {
    n.group = PatternNode::kAtomic;
  } else if (r >= 92 && options_.inline_flags) {
    n.group = PatternNode::kModified;
    do {
      n.set_flags = n.clear_flags = 0;
      for (int bit : kFlagBits) {
        int choice = Pick(3);
        if (choice == 1) n.set_flags |= bit;
        if (choice == 2) n.clear_flags |= bit;
      }
    } while (n.set_flags == 0 && n.clear_flags == 0);
    flags = (flags | n.set_flags) & ~n.clear_flags;
  } else {
    n.group = PatternNode::kNonCapture;
  }
  inner.captures = context.captures;
  n.children.push_back(Alt(inner, flags));
  context.captures = inner.captures;
  return n;
}

PatternNode PatternGenerator::Behind(Context& context, int flags, PatternNode::GroupKind kind) {
  PatternNode n;
  n.kind = PatternNode::kGroup;
  n.group = kind;
  size_t closed = closed_.size();
  for (int attempt = 0; attempt < 12; ++attempt) {
    Context inner = context;
    inner.depth++;
    inner.in_behind = true;
    inner.in_cond_branch = false;
    int body_flags = flags;
    PatternNode body = Alt(inner, body_flags);
    if (BehindBodyIsFixed(body)) {
      context.captures = inner.captures;
      n.children.push_back(std::move(body));
      return n;
    }
    closed_.resize(closed);  // forget the groups of the rejected body
  }
  n.children.push_back(AltOf({SeqOf({MakeChar(PatternChar())})}));
  return n;
}

PatternNode PatternGenerator::Condition(Context& context, int flags) {
  PatternNode n;
  n.kind = PatternNode::kCondition;
  Context inner = context;
  inner.depth++;
  inner.in_cond_branch = true;
  PatternNode assertion;
  if (!closed_.empty() && Chance(60)) {
    n.id = closed_[Pick(static_cast<int>(closed_.size()))];
  } else {
    static const PatternNode::GroupKind kKinds[] = {PatternNode::kAhead, PatternNode::kNotAhead,
                                                    PatternNode::kBehind, PatternNode::kNotBehind};
    PatternNode::GroupKind kind = kKinds[Pick(4)];
    bool negative = kind == PatternNode::kNotAhead || kind == PatternNode::kNotBehind;
    Context body = context;
    if (negative) body.captures = kMaxCaptures;  // no groups: see ConditionKeepsCaptures
    if (kind == PatternNode::kBehind || kind == PatternNode::kNotBehind) {
      assertion = Behind(body, flags, kind);
    } else {
      assertion.kind = PatternNode::kGroup;
      assertion.group = kind;
      body.depth++;
      body.in_cond_branch = false;
      int body_flags = flags;
      assertion.children.push_back(Alt(body, body_flags));
    }
    if (!negative) context.captures = body.captures;
  }
  inner.captures = context.captures;
  int yes_flags = flags;
  n.children.push_back(Seq(inner, yes_flags));
  n.has_no = Chance(70);
  if (n.has_no) {
    int no_flags = flags;
    n.children.push_back(Seq(inner, no_flags));
  }
  context.captures = inner.captures;
  if (n.id < 0) n.children.push_back(std::move(assertion));
  return n;
}

void PatternGenerator::Quantify(Context& context, PatternNode* item) {
  if (!Chance(30)) return;
  PatternNode q;
  q.kind = PatternNode::kRepeat;
  int form = context.in_behind ? 3 : Pick(6);
  switch (form) {
    case 0: q.min = 0, q.max = 1; break;
    case 1: q.min = 0, q.max = -1; break;
    case 2: q.min = 1, q.max = -1; break;
    case 3: q.min = q.max = Pick(4); break;
    case 4: q.min = Pick(3), q.max = -1; break;
    default: q.min = Pick(3), q.max = q.min + 1 + Pick(3); break;
  }
  q.style = form >= 3 ? 1 : Pick(4) == 0;  // sometimes '{0,1}' instead of '?'
  if (q.max == 0 && item->kind == PatternNode::kGroup) return;
  if (context.in_behind && q.min > 1 && CountCaptures(*item) > 0) return;
  std::map<int, bool> groups;  // references: assume their groups may be empty
  bool variable = q.min != q.max;
  if (variable && Nullable(*item, groups)) {
    if (item->kind != PatternNode::kBackref || !Chance(50)) return;
    q.min = q.max = 1 + Pick(2);
    variable = false;
  }
  int mode = Pick(100);
  if (variable && mode < 15 && options_.possessive) {
    q.mode = 'p';
  } else if (mode >= 75 && options_.lazy) {
    q.mode = 'l';
  }
  q.children.push_back(std::move(*item));
  *item = std::move(q);
}

wchar_t PatternGenerator::PatternChar() {
  if (Chance(3) && options_.non_ascii) return kRarePatternChars[Pick(static_cast<int>(kRarePatternChars.size()))];
  return kPatternChars[Pick(static_cast<int>(kPatternChars.size()))];
}

wchar_t PatternGenerator::TextChar(bool allow_cr) {
  int r = Pick(100);
  if (r < 2 && allow_cr) return L'\r';
  if (r < 5 && options_.non_ascii) return L"\u00e9\u03a9\uFFFF\U0001F600"[Pick(4)];
  if (r < 8) return L"*+?()[]{}|^$\\#/"[Pick(15)];
  return kTextChars[Pick(static_cast<int>(kTextChars.size()))];
}

std::wstring PatternGenerator::Sample(const PatternNode& n, std::vector<std::wstring>* captured) {
  switch (n.kind) {
    case PatternNode::kAlt:
      return n.children.empty() ? L"" : Sample(n.children[Pick(static_cast<int>(n.children.size()))], captured);
    case PatternNode::kSeq: {
      std::wstring s;
      for (const auto& c : n.children) s += Sample(c, captured);
      return s;
    }
    case PatternNode::kRepeat: {
      int spread = n.max < 0 ? 3 : std::min(n.max - n.min, 3);
      int count = n.min + Pick(spread + 1);
      std::wstring s;
      for (int i = 0; i < count; ++i) s += Sample(n.children[0], captured);
      return s;
    }
    case PatternNode::kChar: {
      wchar_t c = n.unit;
      if (IsLetter(c) && Chance(20)) c ^= 0x20;
      return std::wstring(1, c);
    }
    case PatternNode::kQuote:
      return n.text;
    case PatternNode::kDot:
      return std::wstring(1, TextChar(true));
    case PatternNode::kEscape:
      if (n.unit == L'd') return std::wstring(1, static_cast<wchar_t>(L'0' + Pick(10)));
      if (n.unit == L'w') return std::wstring(1, L"abcXY_9"[Pick(7)]);
      if (n.unit == L's') return std::wstring(1, L" \t\n"[Pick(3)]);
      return std::wstring(1, TextChar(true));
    case PatternNode::kClass: {
      if (n.negated || Chance(20)) return std::wstring(1, TextChar(true));
      const ClassMember& m = n.members[Pick(static_cast<int>(n.members.size()))];
      if (m.kind == ClassMember::kSingle) return std::wstring(1, m.lo);
      if (m.kind == ClassMember::kRange) return std::wstring(1, static_cast<wchar_t>(m.lo + Pick(m.hi - m.lo + 1)));
      if (m.kind == ClassMember::kEscape) {
        PatternNode e;
        e.kind = PatternNode::kEscape;
        e.unit = m.lo;
        return Sample(e, captured);
      }
      return std::wstring(1, TextChar(true));
    }
    case PatternNode::kGroup: {
      if (IsLookaround(n)) return L"";
      std::wstring s = Sample(n.children[0], captured);
      if (n.group == PatternNode::kCapture) {
        if (static_cast<int>(captured->size()) <= n.id) captured->resize(n.id + 1);
        (*captured)[n.id] = s;
      }
      return s;
    }
    case PatternNode::kBackref:
      return n.id >= 0 && n.id < static_cast<int>(captured->size()) ? (*captured)[n.id] : L"";
    case PatternNode::kCondition:
      return Sample(n.children[n.has_no && Chance(50) ? 1 : 0], captured);
    default:
      return L"";
  }
}

std::vector<std::wstring> PatternGenerator::TextsFor(const GeneratedPattern& pattern, int count) {
  bool allow_cr = !AnchorsReadLineBreaks(pattern);
  std::vector<std::wstring> texts;
  for (int i = 0; i < count; ++i) {
    std::wstring text;
    if (i % 3 == 0) {
      int len = Pick(13);
      for (int k = 0; k < len; ++k) text += TextChar(allow_cr);
    } else {
      std::vector<std::wstring> captured;
      for (int k = Pick(4); k > 0; --k) text += TextChar(allow_cr);
      text += Sample(pattern.root, &captured);
      for (int k = Pick(4); k > 0; --k) text += TextChar(allow_cr);
      if (!text.empty() && Chance(30)) {
        size_t at = static_cast<size_t>(Pick(static_cast<int>(text.size())));
        int how = Pick(3);
        if (how == 0) text[at] = TextChar(allow_cr);
        if (how == 1) text.erase(at, 1);
        if (how == 2) text.insert(text.begin() + static_cast<long>(at), TextChar(allow_cr));
      }
      if (text.size() > 40) text.resize(40);
    }
    if (!allow_cr) std::replace(text.begin(), text.end(), L'\r', L'a');
    texts.push_back(std::move(text));
  }
  return texts;
}

// ---- rendering ----

namespace {

std::wstring FlagText(int set, int clear) {
  std::wstring s;
  for (int i = 0; i < 3; ++i)
    if (set & kFlagBits[i]) s += kFlagLetters[i];
  if (clear) {
    s += L'-';
    for (int i = 0; i < 3; ++i)
      if (clear & kFlagBits[i]) s += kFlagLetters[i];
  }
  return s;
}

void RenderUnit(wchar_t c, int style, bool in_class, std::wstring* out) {
  if (c == L'\n') {
    *out += L"\\n";
  } else if (c == L'\t') {
    *out += L"\\t";
  } else if (c == L'\r') {
    *out += L"\\r";
  } else if (c < 32 || c > 126) {
    *out += L"\\x{" + Hex(static_cast<unsigned long>(c)) + L"}";
  } else if (style == 1) {
    *out += L"\\x" + std::wstring(c < 16 ? L"0" : L"") + Hex(static_cast<unsigned long>(c));
  } else if ((in_class ? std::wstring(L"]\\^-[:.=(") : std::wstring(L".*+?()[]{}|^$\\")).find(c) != std::wstring::npos) {
    *out += L'\\';
    *out += c;
  } else {
    *out += c;
  }
}

// The first literal code unit an item renders ('\x39' and '\Q9\E' give
// '9'), 0 when it does not start with a literal.
wchar_t FirstLiteral(const PatternNode& n) {
  if (n.kind == PatternNode::kChar) return n.unit;
  if (n.kind == PatternNode::kQuote) return n.text.empty() ? 0 : n.text[0];
  if (n.kind == PatternNode::kRepeat) return FirstLiteral(n.children[0]);
  return 0;
}

class Renderer {
 public:
  explicit Renderer(bool named) : named_(named) {}

  std::wstring Node(const PatternNode& n) {
    std::wstring out;
    switch (n.kind) {
      case PatternNode::kAlt:
        for (size_t i = 0; i < n.children.size(); ++i) {
          if (i) out += L'|';
          out += Node(n.children[i]);
        }
        break;
      case PatternNode::kSeq: {
        std::vector<std::wstring> parts;
        for (const auto& c : n.children) parts.push_back(Node(c));
        for (size_t i = 0; i < parts.size(); ++i) {
          bool bare_number = n.children[i].kind == PatternNode::kBackref && n.children[i].style == 0;
          if (bare_number && i + 1 < parts.size() && IsDigit(FirstLiteral(n.children[i + 1]))) {
            parts[i] = L"(?:" + parts[i] + L")";
          }
          out += parts[i];
        }
        break;
      }
      case PatternNode::kRepeat:
        out = Node(n.children[0]) + Quantifier(n);
        break;
      case PatternNode::kChar:
        RenderUnit(n.unit, n.style, false, &out);
        break;
      case PatternNode::kQuote:
        out = L"\\Q" + n.text + L"\\E";
        break;
      case PatternNode::kDot:
        out = L".";
        break;
      case PatternNode::kEscape:
        out = std::wstring(L"\\") + n.unit;
        break;
      case PatternNode::kClass:
        out = n.negated ? L"[^" : L"[";
        for (const auto& m : n.members) Member(m, &out);
        out += L']';
        break;
      case PatternNode::kAnchor:
        out = n.text;
        break;
      case PatternNode::kFlags:
        out = L"(?" + FlagText(n.set_flags, n.clear_flags) + L")";
        break;
      case PatternNode::kGroup:
        out = GroupOpening(n);  // numbers the group before its body's groups
        out += Node(n.children[0]);
        out += L")";
        break;
      case PatternNode::kBackref:
        out = Reference(n);
        break;
      case PatternNode::kCondition:
        out = L"(?";
        out += n.id >= 0 ? L"(" + Number(n.id) + L")" : Node(n.children.back());
        out += Node(n.children[0]);
        if (n.has_no) {
          out += L"|";
          out += Node(n.children[1]);
        }
        out += L")";
        break;
    }
    return out;
  }

 private:
  std::wstring Number(int id) {
    auto it = numbers_.find(id);
    return it == numbers_.end() ? L"99" : std::to_wstring(it->second);
  }
  static std::wstring Name(int id) { return L"n" + std::to_wstring(id); }

  std::wstring Reference(const PatternNode& n) {
    if (n.style == 1) return L"\\k<" + Name(n.id) + L">";
    if (n.style == 2) return L"\\k'" + Name(n.id) + L"'";
    return L"\\" + Number(n.id);
  }

  std::wstring GroupOpening(const PatternNode& n) {
    switch (n.group) {
      case PatternNode::kCapture:
        numbers_[n.id] = ++count_;
        if (!named_) return L"(";
        if (n.style == 1) return L"(?'" + Name(n.id) + L"'";
        if (n.style == 2) return L"(?P<" + Name(n.id) + L">";
        return L"(?<" + Name(n.id) + L">";
      case PatternNode::kNonCapture: return L"(?:";
      case PatternNode::kAtomic: return L"(?>";
      case PatternNode::kAhead: return L"(?=";
      case PatternNode::kNotAhead: return L"(?!";
      case PatternNode::kBehind: return L"(?<=";
      case PatternNode::kNotBehind: return L"(?<!";
      case PatternNode::kModified: return L"(?" + FlagText(n.set_flags, n.clear_flags) + L":";
    }
    return L"(";
  }

  static std::wstring Quantifier(const PatternNode& n) {
    std::wstring q;
    if (n.style == 0 && n.min == 0 && n.max == 1) {
      q = L"?";
    } else if (n.style == 0 && n.min == 0 && n.max < 0) {
      q = L"*";
    } else if (n.style == 0 && n.min == 1 && n.max < 0) {
      q = L"+";
    } else if (n.min == n.max) {
      q = L"{" + std::to_wstring(n.min) + L"}";
    } else {
      q = L"{" + std::to_wstring(n.min) + L"," + (n.max < 0 ? L"" : std::to_wstring(n.max)) + L"}";
    }
    if (n.mode == 'l') q += L'?';
    if (n.mode == 'p') q += L'+';
    return q;
  }

  static void Member(const ClassMember& m, std::wstring* out) {
    switch (m.kind) {
      case ClassMember::kSingle:
        RenderUnit(m.lo, 0, true, out);
        break;
      case ClassMember::kRange:
        RenderUnit(m.lo, 0, true, out);
        *out += L'-';
        RenderUnit(m.hi, 0, true, out);
        break;
      case ClassMember::kEscape:
        *out += L'\\';
        *out += m.lo;
        break;
      case ClassMember::kPosix:
        *out += L"[:" + std::wstring(m.posix_negated ? L"^" : L"") + m.posix + L":]";
        break;
    }
  }

  bool named_;
  int count_ = 0;
  std::map<int, int> numbers_;  // capture id -> group number
};

// ---- validation ----

class Validator {
 public:
  explicit Validator(const GeneratedPattern& p) { CollectNullableGroups(p.root, &nullable_); }

  std::string Check(const PatternNode& n, int& flags, bool in_behind, bool in_cond_branch) {
    switch (n.kind) {
      case PatternNode::kAlt:
        for (const auto& c : n.children) {
          std::string e = Check(c, flags, in_behind, in_cond_branch);
          if (!e.empty()) return e;
        }
        return "";
      case PatternNode::kSeq:
        for (const auto& c : n.children) {
          if (in_cond_branch && c.kind == PatternNode::kFlags) return "modifier directly in a condition branch";
          std::string e = Check(c, flags, in_behind, false);
          if (!e.empty()) return e;
        }
        return "";
      case PatternNode::kRepeat: {
        const PatternNode& atom = n.children[0];
        if (!IsQuantifiable(atom)) return "quantified assertion, anchor or modifier";
        if (n.max >= 0 && n.max < n.min) return "maximum below minimum";
        bool variable = n.min != n.max;
        if (variable && in_behind) return "variable repeat in look-behind";
        if (variable && Nullable(atom, nullable_)) return "variable repeat of a subpattern that can match empty";
        if (!variable && n.mode == 'p') return "possessive fixed repeat";
        if (n.max == 0 && atom.kind == PatternNode::kGroup) return "group repeated 0 times";
        if (in_behind && n.min > 1 && CountCaptures(atom) > 0) return "repeated group in look-behind";
        return Check(atom, flags, in_behind, false);
      }
      case PatternNode::kClass:
        if (n.members.empty()) return "empty class";
        if (MixesPosixAndNegatedSets(n)) return "POSIX class beside another set, one negated";
        for (const auto& m : n.members) {
          if (m.kind == ClassMember::kPosix && (flags & kGenIgnoreCase) && IsPosixCaseName(m.posix))
            return "[:lower:] or [:upper:] under i";
          if (m.kind == ClassMember::kRange && m.lo > m.hi) return "reversed range";
        }
        return "";
      case PatternNode::kQuote:
        if (n.text.empty() || n.text.find(L"\\E") != std::wstring::npos) return "bad quoted run";
        return "";
      case PatternNode::kFlags:
        flags = (flags | n.set_flags) & ~n.clear_flags;
        return "";
      case PatternNode::kGroup:
        return CheckGroup(n, flags, in_behind);
      case PatternNode::kBackref:
        if (in_behind) return "reference in look-behind";
        if (!closed_.count(n.id)) return "reference to a group not closed before it";
        return "";
      case PatternNode::kCondition: {
        if (in_behind) return "condition in look-behind";
        if (n.id >= 0 && !closed_.count(n.id)) return "condition on a group not closed before it";
        if (n.id < 0 && !IsLookaround(n.children.back())) return "condition without assertion";
        if (n.id < 0 && ConditionKeepsCaptures(n.children.back())) return "groups in a negative condition";
        if (n.id < 0) {
          int f = flags;
          std::string e = Check(n.children.back(), f, false, false);
          if (!e.empty()) return e;
        }
        for (int i = 0; i < (n.has_no ? 2 : 1); ++i) {
          int f = flags;
          std::string e = Check(n.children[i], f, false, true);
          if (!e.empty()) return e;
        }
        return "";
      }
      default:
        return "";
    }
  }

  int captures() const { return captures_; }

 private:
  std::string CheckGroup(const PatternNode& n, int flags, bool in_behind) {
    int inner = flags;
    if (n.group == PatternNode::kModified) inner = (flags | n.set_flags) & ~n.clear_flags;
    if (n.group == PatternNode::kCapture) {
      if (++captures_ > kMaxCaptures) return "too many groups";
      if (!seen_.insert(n.id).second) return "duplicate group id";
    }
    bool behind = IsBehind(n);
    if (behind && !BehindBodyIsFixed(n.children[0])) return "look-behind branch of variable length";
    if (in_behind && !behind && !IsLookaround(n) && FixedLength(n.children[0]) < 0)
      return "nested alternatives of different lengths in look-behind";
    std::string e = Check(n.children[0], inner, in_behind || behind, false);
    if (!e.empty()) return e;
    if (n.group == PatternNode::kCapture) closed_.insert(n.id);
    return "";
  }

  std::map<int, bool> nullable_;
  std::set<int> closed_, seen_;
  int captures_ = 0;
};

bool HasAnchor(const PatternNode& n, bool multiline_only) {
  if (n.kind == PatternNode::kAnchor) {
    if (n.text == L"\\Z") return !multiline_only;
    if (n.text == L"^" || n.text == L"$") return multiline_only;
  }
  for (const auto& c : n.children)
    if (HasAnchor(c, multiline_only)) return true;
  return false;
}

bool SetsMultiline(const PatternNode& n) {
  if ((n.kind == PatternNode::kFlags || n.kind == PatternNode::kGroup) && (n.set_flags & kGenMultiline)) return true;
  for (const auto& c : n.children)
    if (SetsMultiline(c)) return true;
  return false;
}

// One-step simplifications of a node, used while shrinking.
std::vector<PatternNode> NodeVariants(const PatternNode& n) {
  std::vector<PatternNode> out;
  auto with_child = [&](size_t i, PatternNode child) {
    PatternNode copy = n;
    copy.children[i] = std::move(child);
    out.push_back(std::move(copy));
  };
  switch (n.kind) {
    case PatternNode::kAlt:
      for (size_t i = 0; n.children.size() > 1 && i < n.children.size(); ++i) {
        PatternNode copy = n;
        copy.children.erase(copy.children.begin() + static_cast<long>(i));
        out.push_back(std::move(copy));
      }
      break;
    case PatternNode::kSeq:
      for (size_t i = 0; i < n.children.size(); ++i) {
        PatternNode copy = n;
        copy.children.erase(copy.children.begin() + static_cast<long>(i));
        out.push_back(copy);
        const PatternNode& c = n.children[i];
        bool plain_group = c.kind == PatternNode::kGroup && !IsLookaround(c) && c.children[0].children.size() == 1;
        if (plain_group) {  // splice the group's only branch into this sequence
          const auto& inner = c.children[0].children[0].children;
          copy.children.insert(copy.children.begin() + static_cast<long>(i), inner.begin(), inner.end());
          out.push_back(std::move(copy));
        }
      }
      break;
    case PatternNode::kRepeat:
      out.push_back(n.children[0]);
      break;
    case PatternNode::kGroup:
      if (n.group != PatternNode::kNonCapture) {
        PatternNode copy = n;
        copy.group = PatternNode::kNonCapture;
        out.push_back(std::move(copy));
      }
      break;
    case PatternNode::kCondition: {
      PatternNode yes;
      yes.kind = PatternNode::kGroup;
      yes.group = PatternNode::kNonCapture;
      yes.children.push_back(AltOf({n.children[0]}));
      out.push_back(yes);
      if (n.has_no) {
        yes.children[0] = AltOf({n.children[1]});
        out.push_back(yes);
        PatternNode copy = n;
        copy.has_no = false;
        copy.children.erase(copy.children.begin() + 1);
        out.push_back(std::move(copy));
      }
      break;
    }
    case PatternNode::kClass:
      for (size_t i = 0; n.members.size() > 1 && i < n.members.size(); ++i) {
        PatternNode copy = n;
        copy.members.erase(copy.members.begin() + static_cast<long>(i));
        out.push_back(std::move(copy));
      }
      if (n.negated) {
        PatternNode copy = n;
        copy.negated = false;
        out.push_back(std::move(copy));
      }
      break;
    case PatternNode::kQuote:
      if (n.text.size() > 1) {
        PatternNode copy = n;
        copy.text.pop_back();
        out.push_back(std::move(copy));
      }
      break;
    default:
      break;
  }
  for (size_t i = 0; i < n.children.size(); ++i) {
    for (auto& v : NodeVariants(n.children[i])) with_child(i, std::move(v));
  }
  return out;
}

}  // namespace

std::wstring Render(const GeneratedPattern& pattern) { return Renderer(pattern.named).Node(pattern.root); }

std::string Validate(const GeneratedPattern& pattern) {
  Validator v(pattern);
  int flags = 0;
  return v.Check(pattern.root, flags, false, false);
}

bool AnchorsReadLineBreaks(const GeneratedPattern& pattern) {
  return HasAnchor(pattern.root, false) || (SetsMultiline(pattern.root) && HasAnchor(pattern.root, true));
}

std::vector<GeneratedPattern> Simplifications(const GeneratedPattern& pattern) {
  std::vector<GeneratedPattern> out;
  for (auto& root : NodeVariants(pattern.root)) out.push_back({std::move(root), pattern.named});
  return out;
}

namespace {

size_t Measure(const GeneratedPattern& p) { return Render(p).size() + 3 * CountCaptures(p.root); }

}  // namespace

GeneratedPattern Shrink(GeneratedPattern pattern, const std::function<bool(const GeneratedPattern&)>& still_fails) {
  for (bool changed = true; changed;) {
    changed = false;
    size_t measure = Measure(pattern);
    for (auto& candidate : Simplifications(pattern)) {
      if (Measure(candidate) < measure && Validate(candidate).empty() && still_fails(candidate)) {
        pattern = std::move(candidate);
        changed = true;
        break;
      }
    }
  }
  return pattern;
}

std::string Printable(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      std::wstring hex = Hex(static_cast<unsigned long>(c));
      out += "\\x{" + std::string(hex.begin(), hex.end()) + "}";
    }
  }
  return out;
}

// ---- tests of the generator ----

namespace {

TEST(PatternGenerator, SameSeedGivesSamePatternsAndTexts) {
  PatternGenerator a(42, {}), b(42, {});
  for (int i = 0; i < 200; ++i) {
    GeneratedPattern pa = a.NextPattern(), pb = b.NextPattern();
    ASSERT_EQ(Render(pa), Render(pb));
    ASSERT_EQ(a.TextsFor(pa, 3), b.TextsFor(pb, 3));
  }
}

// Every generated pattern keeps the rules and is accepted by PCRE2; texts
// never hold the units that the two engines read differently.
TEST(PatternGenerator, PatternsKeepTheRulesAndTextsAvoidDifferingUnits) {
  PatternGenerator gen(7, {});
  int with_groups = 0, with_behind = 0, named = 0;
  for (int i = 0; i < 3000; ++i) {
    GeneratedPattern p = gen.NextPattern();
    std::wstring text = Render(p);
    ASSERT_EQ(Validate(p), "") << Printable(text);
    Pcre2Oracle oracle(text);
    ASSERT_TRUE(oracle.ok()) << Printable(text) << ": " << oracle.error();
    with_groups += oracle.HighestGroup() > 0;
    with_behind += text.find(L"(?<=") != std::wstring::npos || text.find(L"(?<!") != std::wstring::npos;
    named += p.named;
    for (const auto& t : gen.TextsFor(p, 4)) {
      ASSERT_EQ(t.find_first_of(L"\v\f"), std::wstring::npos);
      if (AnchorsReadLineBreaks(p)) {
        ASSERT_EQ(t.find(L'\r'), std::wstring::npos) << Printable(text);
      }
    }
  }
  // The corpus is varied enough to be worth comparing.
  EXPECT_GT(with_groups, 600);
  EXPECT_GT(with_behind, 100);
  EXPECT_GT(named, 150);
}

TEST(PatternGenerator, ValidateRejectsConstructsTheEnginesReadDifferently) {
  auto group = [](PatternNode::GroupKind kind, std::vector<PatternNode> seqs, int id = -1) {
    PatternNode g;
    g.kind = PatternNode::kGroup;
    g.group = kind;
    g.id = id;
    g.children.push_back(AltOf(std::move(seqs)));
    return g;
  };
  auto repeat = [](PatternNode atom, int min, int max, char mode = 'g') {
    PatternNode r;
    r.kind = PatternNode::kRepeat;
    r.min = min;
    r.max = max;
    r.mode = mode;
    r.children.push_back(std::move(atom));
    return r;
  };
  PatternNode ref;
  ref.kind = PatternNode::kBackref;
  ref.id = 0;
  PatternNode empty_capture = group(PatternNode::kCapture, {SeqOf({})}, 0);
  PatternNode a_capture = group(PatternNode::kCapture, {SeqOf({MakeChar(L'a')})}, 0);

  struct Case {
    const char* what;
    PatternNode root;
    bool valid;
  };
  const Case cases[] = {
      {"a*", AltOf({SeqOf({repeat(MakeChar(L'a'), 0, -1)})}), true},
      {"()*", AltOf({SeqOf({repeat(empty_capture, 0, -1)})}), false},
      {"(){2}", AltOf({SeqOf({repeat(empty_capture, 2, 2)})}), true},
      {"a{2}+", AltOf({SeqOf({repeat(MakeChar(L'a'), 2, 2, 'p')})}), false},
      {"(a)\\1", AltOf({SeqOf({a_capture, ref})}), true},
      {"\\1(a)", AltOf({SeqOf({ref, a_capture})}), false},
      {"()\\1+", AltOf({SeqOf({empty_capture, repeat(ref, 1, -1)})}), false},
      {"(?<=a|bc)", AltOf({SeqOf({group(PatternNode::kBehind, {SeqOf({MakeChar(L'a')}),
                                                                SeqOf({MakeChar(L'b'), MakeChar(L'c')})})})}),
       true},
      {"(?<=a*)", AltOf({SeqOf({group(PatternNode::kBehind, {SeqOf({repeat(MakeChar(L'a'), 0, -1)})})})}), false},
      {"(?<=(?:a|bc))",
       AltOf({SeqOf({group(PatternNode::kBehind,
                           {SeqOf({group(PatternNode::kNonCapture,
                                         {SeqOf({MakeChar(L'a')}), SeqOf({MakeChar(L'b'), MakeChar(L'c')})})})})})}),
       false},
  };
  for (const auto& c : cases) {
    GeneratedPattern p{c.root, false};
    EXPECT_EQ(Validate(p).empty(), c.valid) << c.what << " -> " << Printable(Render(p)) << " " << Validate(p);
  }
}

TEST(PatternGenerator, RendersEscapesAndNumbersGroupsInOrder) {
  PatternNode ref;
  ref.kind = PatternNode::kBackref;
  ref.id = 5;
  PatternNode g5;
  g5.kind = PatternNode::kGroup;
  g5.group = PatternNode::kCapture;
  g5.id = 5;
  g5.children.push_back(AltOf({SeqOf({MakeChar(L'.'), MakeChar(L'\n'), MakeChar(L'\u00e9')})}));
  PatternNode cls;
  cls.kind = PatternNode::kClass;
  cls.members = {{ClassMember::kSingle, L']', 0, L"", false}, {ClassMember::kRange, L'a', L'^', L"", false},
                 {ClassMember::kPosix, 0, 0, L"digit", true}};
  GeneratedPattern p{AltOf({SeqOf({g5, ref, MakeChar(L'1'), cls})}), false};
  EXPECT_EQ(Render(p), L"(\\.\\n\\x{e9})(?:\\1)1[\\]a-\\^[:^digit:]]");
  p.named = true;
  p.root.children[0].children[1].style = 1;
  EXPECT_EQ(Render(p), L"(?<n5>\\.\\n\\x{e9})\\k<n5>1[\\]a-\\^[:^digit:]]");
}

TEST(PatternGenerator, ShrinkKeepsTheFailureAndRemovesTheRest) {
  // Shrink patterns to the smallest valid one that still renders the needle.
  int shrunk = 0;
  PatternGenerator gen(11, {});
  for (int i = 0; i < 400; ++i) {
    GeneratedPattern p = gen.NextPattern();
    std::wstring text = Render(p);
    if (text.find(L'b') == std::wstring::npos || text.size() < 8) continue;
    GeneratedPattern small = Shrink(p, [](const GeneratedPattern& c) { return Render(c).find(L'b') != std::wstring::npos; });
    std::wstring result = Render(small);
    EXPECT_EQ(Validate(small), "");
    EXPECT_NE(result.find(L'b'), std::wstring::npos);
    EXPECT_LT(result.size(), text.size()) << Printable(text) << " -> " << Printable(result);
    shrunk += result.size() <= 3;
  }
  EXPECT_GT(shrunk, 20);
}

}  // namespace
}  // namespace cw::testing
