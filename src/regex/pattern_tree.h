// Test-only syntax trees of patterns for the differential tests against
// PCRE2: rendering to pattern text, the rules that keep a tree inside the
// syntax both engines read the same way, and shrinking of failing cases.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace cw::testing {

constexpr int kMaxCaptures = 9;  // numeric references stay one digit

// Mode bits as the pattern language defines them.
enum GenFlags : int { kGenDotAll = 1, kGenMultiline = 2, kGenIgnoreCase = 8 };

struct ClassMember {
  enum Kind { kSingle, kRange, kEscape, kPosix } kind = kSingle;
  wchar_t lo = 0, hi = 0;  // kSingle uses lo; kEscape: lo is the letter (d D w W s S)
  std::wstring posix;      // kPosix: name such as L"alpha"
  bool posix_negated = false;
};

struct PatternNode {
  enum Kind {
    kAlt, kSeq, kRepeat, kChar, kQuote, kDot, kEscape, kClass, kAnchor, kFlags, kGroup, kBackref, kCondition
  };
  enum GroupKind { kCapture, kNonCapture, kAtomic, kAhead, kNotAhead, kBehind, kNotBehind, kModified };

  Kind kind = kSeq;
  std::vector<PatternNode> children;  // kAlt: seqs; kSeq: items; kRepeat, kGroup: one; kCondition: see below
  wchar_t unit = 0;                   // kChar: the code unit; kEscape: the letter
  int style = 0;                      // rendering variant (escape form, name syntax, quantifier form)
  std::wstring text;                  // kQuote: the quoted run; kAnchor: its syntax
  bool negated = false;               // kClass
  std::vector<ClassMember> members;   // kClass
  GroupKind group = kNonCapture;      // kGroup
  int id = -1;                        // kGroup kCapture: identity; kBackref, kCondition: target (-1: none)
  int set_flags = 0, clear_flags = 0; // kFlags, kGroup kModified
  int min = 0, max = 0;               // kRepeat; max -1 = unbounded
  char mode = 'g';                    // kRepeat: 'g' greedy, 'l' lazy, 'p' possessive
  // kCondition: children[0] the yes branch (kSeq), children[1] the no branch
  // (kSeq) when has_no, and last the assertion group when id < 0.
  bool has_no = false;
};

struct GeneratedPattern {
  PatternNode root;  // kAlt
  bool named = false;  // capturing groups are all named and referenced by name
};

// The pattern text of a tree.
std::wstring Render(const GeneratedPattern& pattern);

// Checks the rules that keep a tree inside the shared syntax. Returns an empty
// string when they hold, else the first broken rule. Used on every generated
// pattern and on every candidate while shrinking.
std::string Validate(const GeneratedPattern& pattern);

// True when the pattern's anchors depend on which units are line breaks, so
// texts must avoid carriage returns.
bool AnchorsReadLineBreaks(const GeneratedPattern& pattern);

// Smaller variants of a pattern (one step each), for shrinking a failing case.
std::vector<GeneratedPattern> Simplifications(const GeneratedPattern& pattern);

// Shrinks a pattern while |still_fails| holds for it, one valid
// simplification at a time. Each accepted step lowers a size measure (text
// length plus three per capturing group), so shrinking ends.
GeneratedPattern Shrink(GeneratedPattern pattern, const std::function<bool(const GeneratedPattern&)>& still_fails);

// A pattern or text in printable form: non-ASCII and control units as \x{..}.
std::string Printable(const std::wstring& text);

// Tree queries shared by the generator and the rules.
bool IsQuantifiable(const PatternNode& n);  // may carry a quantifier
bool IsLookaround(const PatternNode& n);
int CountCaptures(const PatternNode& n);
// Whether a subpattern can match the empty string; |groups| tells it for
// capture ids (references repeat their group), unknown ids count as empty.
bool Nullable(const PatternNode& n, const std::map<int, bool>& groups);
// Every top-level branch of a look-behind body has a fixed length, and nested
// alternatives agree in length.
bool BehindBodyIsFixed(const PatternNode& alt);
bool MixesPosixAndNegatedSets(const PatternNode& n);
bool IsPosixCaseName(const std::wstring& name);
PatternNode MakeChar(wchar_t c);
PatternNode SeqOf(std::vector<PatternNode> items);
PatternNode AltOf(std::vector<PatternNode> seqs);

}  // namespace cw::testing
