// Syntax trees of patterns for the differential tests: rendering, the rules
// of the shared syntax, shrinking. The deliberate differences behind the
// rules are listed in pattern_generator_testing.cc.
#include <set>

#include "regex/pattern_tree.h"

namespace cw::testing {

namespace {

const int kFlagBits[] = {kGenIgnoreCase, kGenMultiline, kGenDotAll};
const wchar_t kFlagLetters[] = L"ims";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsBehind(const PatternNode& n) {
  return n.kind == PatternNode::kGroup && (n.group == PatternNode::kBehind || n.group == PatternNode::kNotBehind);
}

// PCRE2 keeps the captures of a negative assertion used as a condition after
// it failed; ours drops them. Such assertions hold no groups.
bool ConditionKeepsCaptures(const PatternNode& assertion) {
  bool negative = assertion.group == PatternNode::kNotAhead || assertion.group == PatternNode::kNotBehind;
  return negative && CountCaptures(assertion) > 0;
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

void CollectNullableGroups(const PatternNode& n, std::map<int, bool>* groups) {
  for (const auto& c : n.children) CollectNullableGroups(c, groups);
  if (n.kind == PatternNode::kGroup && n.group == PatternNode::kCapture) (*groups)[n.id] = Nullable(n.children[0], *groups);
}

int FixedLength(const PatternNode& n);

}  // namespace

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


namespace {

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
}  // namespace

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

}  // namespace cw::testing
