// Random pattern and text generator for the differential tests against PCRE2.
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
//  - A group repeated 0 times: PCRE2 mis-reads anchors inside it
//    ('(?:\b|\A){0}a' misses "ba"). '{0}' is applied to single characters and
//    classes only.
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
//  - PCRE2's auto-possessification wrongly turns 'a+' possessive before a
//    possessive optional group ('(?:a+(?>b)?+){2}' misses "aa"), and its
//    start-of-match optimisations miss matches ('(?=A)x*A' in "A",
//    '(?(?=^)^)z' in "Az"): the oracle compiles with PCRE2_NO_AUTO_POSSESS
//    and PCRE2_NO_START_OPTIMIZE.
//  - A start beyond the text length is an error in PCRE2: starts stay within
//    the text (negative starts are compared with PCRE2 at 0).
#include <algorithm>
#include <map>

#include "regex/pattern_generator.h"

namespace cw::testing {

namespace {

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

bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

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

// Picks a non-empty set of flags to switch on and off for a modifier, and
// applies it to the flags in force.
void PatternGenerator::PickFlagChange(PatternNode* node, int& flags) {
  do {
    node->set_flags = node->clear_flags = 0;
    for (int bit : kFlagBits) {
      int choice = Pick(3);
      if (choice == 1) node->set_flags |= bit;
      if (choice == 2) node->clear_flags |= bit;
    }
  } while (node->set_flags == 0 && node->clear_flags == 0);
  flags = (flags | node->set_flags) & ~node->clear_flags;
}

PatternNode PatternGenerator::Item(Context& context, int& flags) {
  int r = Pick(100);
  if (r >= 84 && r < 88 && options_.inline_flags && !context.in_cond_branch) {
    PatternNode n;
    n.kind = PatternNode::kFlags;
    PickFlagChange(&n, flags);
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
    PickFlagChange(&n, flags);
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

}  // namespace cw::testing
