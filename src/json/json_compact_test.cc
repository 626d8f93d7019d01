// Tests of compaction and the root check.
#include "json/json_compact.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace cw::json {
namespace {

struct CompactCase {
  std::wstring input;
  std::wstring expected;
};

TEST(JsonCompact, Table) {
  const CompactCase cases[] = {
      {L" { \"a\" : 1 ,\t\"b\"\r\n: [ 1, 2 ] } ", L"{\"a\":1,\"b\":[1,2]}"},
      {L"{\"s\":\"a b\\t \"}", L"{\"s\":\"a b\\t \"}"},  // strings untouched
      {L"[t r u e]", L"[true]"},
      {L"[1 2]", L"[12]"},
      {L"[\"a\\\"b\" ]", L"[\"a\\\"b\"]"},           // an escaped quote does not end the string
      {L"[\"a\\\\\" ]", L"[\"a\\\\\"]"},             // an escaped backslash does
      {L"[\"\u00e9\u4e2d\"]", L"[\"\u00e9\u4e2d\"]"},  // anything goes inside strings
      {L"[\"a\nb\"]", L"[\"a\nb\"]"},
      {L"# note\n{}", L"# note#{}"},
      {L"// note\r\n{}", L"# note\r#{}"},
      {L"/* a\nb */{}", L"# a\nb #{}"},
      {L"[1,/*x*/2]", L"[1,#x#2]"},
      {L"{} # end", L"{}# end#"},
      {L"{}/* open", L"{}# open#"},                   // unterminated block comment: written, then stop
      {L"{}/* open */ [", L"{}# open #["},
      {L"[\"abc", L"[\"abc"},                         // end inside a string stops
      {L"[\"abc\\", L"[\"abc\\"},
      {L"[1]/x", L"[1]"},                             // stray slash stops
      {L"[1]/", L"[1]"},
      {L"[1\x01]", L"[1"},                            // control character stops
      {L"[1\u00e9]", L"[1"},                          // above '~' stops
      {L"\ufeff{}", L""},                             // so does a byte-order mark
      {L"[1\x7f]", L"[1"},
      {L"[1~]", L"[1~]"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(Compact(c.input), c.expected);
}

TEST(JsonCompact, LineCommentAtEndOfText) { EXPECT_EQ(Compact(L"{}//x"), L"{}#x#"); }

TEST(JsonRoot, FindsTheBracketAfterLeadingComments) {
  EXPECT_EQ(FindRoot(L"{}"), 0u);
  EXPECT_EQ(FindRoot(L"[1]"), 0u);
  EXPECT_EQ(FindRoot(L"#a##b#{\"x\":1}"), 6u);
}

TEST(JsonRoot, RejectsAnythingElseWithAnEmptyMessage) {
  const wchar_t* bad[] = {L"", L"#only#", L"\"abc\"", L"42", L"{", L"[", L"]", L"[}", L"{]", L"{}#x#",
                          L"#unclosed{}", L"x{}"};
  for (const wchar_t* text : bad) {
    try {
      FindRoot(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), "");
    }
  }
}

TEST(JsonSkipComments, StopsAtTheRangeEnd) {
  EXPECT_EQ(SkipCommentSegments(L"#a##b#x", 0, 7), 6u);
  EXPECT_EQ(SkipCommentSegments(L"#a##b#x", 0, 4), 4u);  // second segment runs past the end
  EXPECT_EQ(SkipCommentSegments(L"#abc", 0, 4), 4u);
  EXPECT_EQ(SkipCommentSegments(L"x#a#", 0, 4), 0u);
}

}  // namespace
}  // namespace cw::json
