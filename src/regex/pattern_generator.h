// Test-only generator of random patterns and texts for the differential tests
// against PCRE2. Patterns are built as small syntax trees so that a failing
// case can be shrunk; every tree stays inside the syntax that our engine and
// PCRE2 read the same way (see pattern_generator_testing.cc for the list of
// deliberate differences it avoids, and Validate for the rules).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "regex/pattern_tree.h"

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
  void PickFlagChange(PatternNode* node, int& flags);
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

}  // namespace cw::testing
