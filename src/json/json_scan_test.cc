// Tests of the top-level search, with and without the jump table.
#include "json/json_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace cw::json {
namespace {

struct SearchCase {
  std::wstring text;
  std::size_t from;
  wchar_t wanted;
  std::size_t expected;
};

JsonSource MakeSource(const std::wstring& text) {
  JsonSource source;
  source.text = text;
  return source;
}

TEST(JsonSearch, Table) {
  const SearchCase cases[] = {
      {L"[1,2]", 1, L',', 2},
      {L"[1,2]", 3, L',', kNotFound},                 // stops at its own ']'
      {L"[[1,2],3]", 1, L',', 6},                      // nested block skipped
      {L"[{\"a\":1,\"b\":2},3]", 1, L',', 14},
      {L"{\"a\":1}", 1, L':', 4},
      {L"{\"a:b\":1}", 1, L':', 6},                    // inside a string
      {L"{\"a\\\":b\":1}", 1, L':', 8},                // escaped quote keeps the string open
      {L"{\"a\\\\\":1}", 1, L':', 6},                  // escaped backslash does not
      {L"[\"a,b]\",1]", 1, L',', 7},
      {L"[[\"]\"],1]", 1, L',', 6},                    // a bracket inside a string inside a block
      {L"[[{],1]", 1, L',', 4},                        // '[' blocks count only square brackets
      {L"[{[},1]", 1, L',', 4},                        // '{' blocks count only curly brackets
      {L"[1}2,3]", 1, L',', kNotFound},                // a '}' at its own level ends the search
      {L"[\"abc,1]", 1, L',', kNotFound},              // unterminated string
      {L"[[1,2,3]", 1, L',', kNotFound},               // the nested block takes the last bracket
      {L"[#,#1]", 1, L',', 2},                         // comments are not recognised
  };
  for (const auto& c : cases) {
    JsonSource source = MakeSource(c.text);
    EXPECT_EQ(FindTopLevel(source, c.from, c.text.size(), c.wanted), c.expected) << c.text.size();
    EXPECT_EQ(FindTopLevelByScanning(c.text, c.from, c.text.size(), c.wanted), c.expected);
  }
}

TEST(JsonSearch, RangeEndBoundsBlocksAndStrings) {
  JsonSource source = MakeSource(L"[[1,2],3]");
  EXPECT_EQ(FindTopLevel(source, 1, 5, L','), kNotFound);  // block closes at 5, outside [1,5)
  EXPECT_EQ(FindTopLevel(source, 1, 6, L','), kNotFound);
  EXPECT_EQ(FindTopLevel(source, 1, 7, L','), 6u);
  EXPECT_EQ(FindTopLevel(source, 2, 9, L','), 3u);  // starting inside the nested block
}

// The jump table must give exactly what a character-by-character scan gives,
// from every start and for every range end, including texts whose comments
// hold quotes (where the strings of a sub-range differ from the root's).
TEST(JsonSearch, JumpTableAgreesWithScanningOnRandomTexts) {
  const wchar_t alphabet[] = L"[]{}\",:\\#a1";
  std::mt19937 random(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::uniform_int_distribution<int> lengthOf(0, 24);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof alphabet / sizeof *alphabet) - 2);
    std::wstring text = L"[";
    for (int i = lengthOf(random); i > 0; --i) text += alphabet[pick(random)];
    text += L']';
    JsonSource source = MakeSource(text);
    for (std::size_t end = 1; end <= text.size(); ++end)
      for (std::size_t from = 0; from < end; ++from)
        for (wchar_t wanted : {L',', L':'})
          ASSERT_EQ(FindTopLevel(source, from, end, wanted), FindTopLevelByScanning(text, from, end, wanted))
              << "round " << round << " from " << from << " end " << end;
  }
}

}  // namespace
}  // namespace cw::json
