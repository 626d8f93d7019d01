// Differential test: our engine against PCRE2 on random patterns and texts
// inside the syntax both read the same way (pattern_generator_testing.cc lists
// the deliberate differences the generator avoids). Found flag, highest group
// number and every group span must agree. The seed is fixed; set
// CW_REGEX_SEED and CW_REGEX_PATTERNS to explore further. A failing case is
// printed with the seed, then shrunk to a minimal pattern and text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "regex/pattern.h"
#include "regex/pattern_generator.h"
#include "regex/pcre2_oracle.h"

namespace cw::testing {
namespace {

constexpr uint64_t kSeed = 20261209;
constexpr int kPatterns = 20000;
constexpr int kTextsPerPattern = 6;
constexpr int kMaxReported = 8;
// Patterns with nested repeats can take exponential time; our search is cut
// short after this many steps (it then reports "not found"), PCRE2's after its
// match limit (such cases are skipped). A cut-short search where PCRE2 finds a
// match shows up as a disagreement.
constexpr int64_t kStepLimit = 20000000;

uint64_t EnvironmentNumber(const char* name, uint64_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

struct Result {
  bool found = false;
  bool gave_up = false;   // PCRE2 hit its match limit: not comparable
  std::vector<int> spans;  // begin, end per group 0..H
};

Result Ours(const CPattern& pattern, const std::wstring& text, int start, bool nul_terminated) {
  CMatchSpansT r = nul_terminated ? pattern.Search(text.c_str(), start)
                                  : pattern.Search(text.c_str(), static_cast<int>(text.size()), start);
  Result result;
  result.found = r.IsFound();
  if (!result.found) return result;
  for (int g = 0; g <= r.HighestGroup(); ++g) {
    result.spans.push_back(r.GroupBegin(g));
    result.spans.push_back(r.GroupEnd(g));
  }
  return result;
}

Result Reference(const Pcre2Oracle& oracle, const std::wstring& text, int start) {
  Result result;
  OracleOutcome outcome = oracle.Search(text, start, &result.spans);
  result.found = outcome == OracleOutcome::kFound;
  result.gave_up = outcome == OracleOutcome::kLimit;
  return result;
}

std::string Describe(const Result& r) {
  if (!r.found) return "not found";
  std::ostringstream out;
  out << "found H=" << r.spans.size() / 2 - 1 << ":";
  for (size_t i = 0; i < r.spans.size(); i += 2) out << " " << i / 2 << "=" << r.spans[i] << ".." << r.spans[i + 1];
  return out.str();
}

bool Agree(const Result& ours, const Result& reference) {
  return reference.gave_up || (ours.found == reference.found && ours.spans == reference.spans);
}

// Whether the engines still disagree on a (shrunk) pattern; patterns PCRE2
// rejects do not count.
bool StillDisagrees(const GeneratedPattern& p, const std::wstring& text, int start) {
  std::wstring pattern_text = Render(p);
  Pcre2Oracle oracle(pattern_text);
  if (!oracle.ok()) return false;
  CPattern ours(pattern_text.c_str());
  ours.SetStepLimit(kStepLimit);
  return !Agree(Ours(ours, text, start, false), Reference(oracle, text, start));
}

std::string MinimalRepro(const GeneratedPattern& p, std::wstring text, int start) {
  GeneratedPattern small = Shrink(p, [&](const GeneratedPattern& c) { return StillDisagrees(c, text, start); });
  for (size_t i = 0; i < text.size();) {  // drop text units that do not matter
    std::wstring shorter = text.substr(0, i) + text.substr(i + 1);
    int shorter_start = start > static_cast<int>(i) ? start - 1 : start;
    if (StillDisagrees(small, shorter, shorter_start)) {
      text = shorter;
      start = shorter_start;
    } else {
      ++i;
    }
  }
  std::wstring pattern_text = Render(small);
  Pcre2Oracle oracle(pattern_text);
  CPattern ours(pattern_text.c_str());
  ours.SetStepLimit(kStepLimit);
  std::ostringstream out;
  out << "minimal: pattern \"" << Printable(pattern_text) << "\" text \"" << Printable(text) << "\" start " << start
      << "\n  ours:  " << Describe(Ours(ours, text, start, false))
      << "\n  PCRE2: " << Describe(Reference(oracle, text, start));
  return out.str();
}

int PickStart(std::mt19937_64& rng, const std::wstring& text) {
  int r = static_cast<int>(rng() % 10);
  if (r < 7) return 0;
  if (r == 7) return -1 - static_cast<int>(rng() % 3);
  return static_cast<int>(rng() % (text.size() + 1));
}

TEST(RegexDifferential, AgreesWithPcre2OnRandomPatternsAndTexts) {
  const uint64_t seed = EnvironmentNumber("CW_REGEX_SEED", kSeed);
  const int patterns = static_cast<int>(EnvironmentNumber("CW_REGEX_PATTERNS", kPatterns));
  PatternGenerator generator(seed, GeneratorOptions{});
  int cases = 0, found = 0, gave_up = 0, failures = 0;
  for (int i = 0; i < patterns; ++i) {
    GeneratedPattern p = generator.NextPattern();
    std::wstring pattern_text = Render(p);
    Pcre2Oracle oracle(pattern_text);
    ASSERT_TRUE(oracle.ok()) << "seed " << seed << ", pattern #" << i << " \"" << Printable(pattern_text)
                             << "\" is outside the shared syntax: " << oracle.error();
    CPattern ours(pattern_text.c_str());
    ours.SetStepLimit(kStepLimit);
    EXPECT_EQ(ours.HighestGroup(), oracle.HighestGroup()) << "pattern \"" << Printable(pattern_text) << "\"";
    for (const std::wstring& text : generator.TextsFor(p, kTextsPerPattern)) {
      int start = PickStart(generator.rng(), text);
      Result reference = Reference(oracle, text, start);
      Result mine = Ours(ours, text, start, cases % 2 == 0);
      ++cases;
      found += reference.found;
      gave_up += reference.gave_up;
      if (Agree(mine, reference)) continue;
      if (++failures > kMaxReported) continue;
      ADD_FAILURE() << "seed " << seed << ", pattern #" << i << ": \"" << Printable(pattern_text) << "\" text \""
                    << Printable(text) << "\" start " << start << "\n  ours:  " << Describe(mine)
                    << "\n  PCRE2: " << Describe(reference) << "\n" << MinimalRepro(p, text, start);
    }
  }
  std::printf("%d cases, %d found by PCRE2, %d where PCRE2 gave up, %d disagreements\n", cases, found, gave_up,
              failures);
  EXPECT_EQ(failures, 0);
  // The corpus must exercise both outcomes to be worth anything.
  EXPECT_GT(found, cases / 4);
  EXPECT_LT(found, cases - cases / 10);
  EXPECT_LT(gave_up, cases / 1000 + 1);
}

}  // namespace
}  // namespace cw::testing
