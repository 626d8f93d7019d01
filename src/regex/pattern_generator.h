// Test-only generator of random patterns and texts for the differential tests
// against PCRE2. Patterns are built as small syntax trees so that a failing
// case can be shrunk; every tree stays inside the syntax that our engine and
// PCRE2 read the same way (see pattern_generator_test.cc for the list of
// deliberate differences it avoids, and Validate for the rules).
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace cw::testing {

// Which constructs the generator may use. Everything is on by default.
struct GeneratorOptions {
  bool backrefs = true;
  bool lookahead = true;
  bool lookbehind = true;
  bool atomic = true;
  bool possessive = true;
  bool lazy = true;
  bool inline_flags = true;
  bool named_groups = true;
  bool conditions = true;
  bool posix = true;
  bool quoting = true;
  bool anchors = true;
  bool non_ascii = true;
};

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

class PatternGenerator {
 public:
  PatternGenerator(uint64_t seed, GeneratorOptions options);

  GeneratedPattern NextPattern();
  // Texts for a pattern: some random, some sampled from the pattern itself so
  // that many searches succeed. Never contains vertical tab or form feed, and
  // no carriage return when the pattern's anchors would read one as a line break.
  std::vector<std::wstring> TextsFor(const GeneratedPattern& pattern, int count);
  std::mt19937_64& rng() { return rng_; }

 private:
  struct Context;
  PatternNode Alt(Context& context, int& flags);
  PatternNode Seq(Context& context, int& flags);
  PatternNode Item(Context& context, int& flags);
  PatternNode Atom(Context& context, int flags, bool* quantifiable);
  PatternNode Group(Context& context, int flags);
  PatternNode Behind(Context& context, int flags, PatternNode::GroupKind kind);
  PatternNode Condition(Context& context, int flags);
  PatternNode ClassNode(int flags);
  void Quantify(Context& context, PatternNode* item);
  wchar_t PatternChar();
  wchar_t TextChar(bool allow_cr);
  std::wstring Sample(const PatternNode& node, std::vector<std::wstring>* captured);

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<uint64_t>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }

  std::mt19937_64 rng_;
  GeneratorOptions options_;
  int next_id_ = 0;
  bool named_ = false;
  std::vector<int> closed_;  // capture ids whose group has ended so far
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

}  // namespace cw::testing
