// Tests of JsonValue: what a parsed text reads as, the accessors, and
// copy-on-write through ToObject, ToArray and TakeFirst.
#include "json/json_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "json/json_testing.h"

namespace cw {
namespace {

using testing::DescribeJson;

struct ReadCase {
  std::wstring text;
  std::wstring tree;  // DescribeJson of the root
};

TEST(JsonParse, ReadsAsExpected) {
  const ReadCase cases[] = {
      // Containers and members.
      {L"{}", L"{}"},
      {L"[]", L"[]"},
      {L" [ ] ", L"[]"},
      {L"[null, \"x\", 1.50, [], {}]", L"[Z\"null\"=0,S\"x\"=0,N\"1.50\"=1,[],{}]"},
      {L"{\"d\":[{\"n\":\"A\",\"v\":2}],\"e\":{}}", L"{d:[{n:S\"A\"=0,v:N\"2\"=2}],e:{}}"},
      {L"{\"a\":1,\"a\":2}", L"{a:N\"1\"=1,a:N\"2\"=2}"},
      {L"{\"a\":}", L"{a:Z\"\"=0}"},
      {L"[1,]", L"[N\"1\"=1,Z\"\"=0]"},
      {L"[1,,2]", L"[N\"1\"=1,Z\"\"=0,N\"2\"=2]"},
      {L"[,]", L"[Z\"\"=0,Z\"\"=0]"},
      // Containers whose split fails read as null with an empty text.
      {L"{\"a\":1,}", L"Z\"\"=0"},
      {L"{\"a\":1,\"b\"}", L"Z\"\"=0"},
      {L"{\"a\" 1}", L"Z\"\"=0"},
      {L"[1:2]", L"Z\"\"=0"},
      {L"[\"a\",{\"b\":1},\"c\":2]", L"Z\"\"=0"},
      {L"{\"a\":[1:2],\"b\":3}", L"{a:Z\"\"=0,b:N\"3\"=3}"},  // a bad inner value does not fail the parse
      // Literals.
      {L"{\"x\":true}", L"{x:B\"true\"=1}"},
      {L"{\"x\":false}", L"{x:B\"false\"=0}"},
      {L"{\"x\":True}", L"{x:Z\"null\"=0}"},
      {L"{\"x\":null}", L"{x:Z\"null\"=0}"},
      {L"{\"x\":nul}", L"{x:Z\"null\"=0}"},
      {L"{\"k\":t r u e}", L"{k:B\"true\"=1}"},
      // Numbers.
      {L"{\"n\":1.9}", L"{n:N\"1.9\"=1}"},
      {L"{\"n\":-1.9}", L"{n:N\"-1.9\"=-1}"},
      {L"{\"n\":\"12\"}", L"{n:S\"12\"=12}"},
      {L"{\"n\":\"12abc\"}", L"{n:S\"12abc\"=12}"},
      {L"{\"n\":\" -7.9\"}", L"{n:S\" -7.9\"=-7}"},
      {L"{\"n\":\"abc\"}", L"{n:S\"abc\"=0}"},
      {L"{\"n\":0x1F}", L"{n:N\"0x1F\"=0}"},
      {L"{\"n\":017}", L"{n:N\"017\"=17}"},
      {L"{\"n\":1 2}", L"{n:N\"12\"=12}"},
      {L"[-,+,.,-.5,1e+,-017,0.,1.5e-3]",
       L"[N\"-\"=0,N\"+\"=0,N\".\"=0,N\"-.5\"=0,N\"1e+\"=1,N\"-017\"=-17,N\"0.\"=0,N\"1.5e-3\"=0]"},
      {L"[--1,1-2,1.2.3,1e5.3,1e,00,08,0X1]",
       L"[Z\"null\"=0,Z\"null\"=0,Z\"null\"=0,Z\"null\"=0,Z\"null\"=0,Z\"null\"=0,Z\"null\"=0,Z\"null\"=0]"},
      {L"[1e300,-1e300,1e99999]",
       L"[N\"1e300\"=9223372036854775807,N\"-1e300\"=-9223372036854775808,N\"1e99999\"=9223372036854775807]"},
      {L"[\"9223372036854775807000\"]", L"[S\"9223372036854775807000\"=9223372036854775807]"},
      // Strings and escapes.
      {L"{\"s\":\"a\\u0041\\x41\\101\\q\"}", L"{s:S\"aAAAq\"=0}"},
      {L"{\"s\":\"a b\"}", L"{s:S\"a b\"=0}"},
      {L"{\"s\":\"\u00e9\u4e2d\"}", L"{s:S\"\u00e9\u4e2d\"=0}"},
      {L"[\"12\u00e9\",\"12\u20ac\"]", L"[S\"12\u00e9\"=12,S\"12\u20ac\"=0]"},
      {L"[\"q\\\"q\",\"b\\\\\"]", L"[S\"q\"q\"=0,S\"b\\\"=0]"},
      {L"[\"\\u12\"]", L"[S\"\\u12\"=0]"},  // cut-short escape kept as it is
      {L"[\"\\x4\"]", L"[S\"\\x4\"=0]"},
      {L"[\"\\12\"]", L"[S\"\\12\"=0]"},
      {L"{\"a\":\"open}", L"{a:Z\"null\"=0}"},  // string without its closing quote
      {L"[\"]", L"[Z\"null\"=0]"},              // a lone quote
      // Member names: quotes dropped by position, unescaped, short keys empty.
      {L"{'a':1}", L"{a:N\"1\"=1}"},
      {L"{abc:1}", L"{b:N\"1\"=1}"},
      {L"{\"a\\u0042\":1}", L"{aB:N\"1\"=1}"},
      {L"{:1}", L"{N\"1\"=1}"},
      {L"{a:1}", L"{N\"1\"=1}"},
      {L"{\"a\":1,:2}", L"{a:N\"1\"=1,N\"2\"=2}"},
      {L"{a\\b:1}", L"{\\:N\"1\"=1}"},  // a name that is a lone backslash
      {L"{\"\":1}", L"{N\"1\"=1}"},
      // Comments.
      {L"// note\n{\"a\":1}", L"{a:N\"1\"=1}"},
      {L"# c1\n#c2\n/* c3 */{\"a\":1}", L"{a:N\"1\"=1}"},
      {L"{# note\n\"a\":1, /* b */ \"b\":2}", L"{a:N\"1\"=1,b:N\"2\"=2}"},
      {L"[1,/*x*/2]", L"[N\"1\"=1,N\"2\"=2]"},
      {L"[1 /*x*/]", L"[Z\"null\"=0]"},  // a comment after a value spoils it
      {L"{\"a\":/*x*/1}", L"{a:Z\"null\"=0}"},
      // Unbalanced but framed: the root check passes, the reads give null.
      {L"[1]]", L"[Z\"null\"=0]"},
      {L"{\"a\":1}/", L"{a:N\"1\"=1}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DescribeJson(JsonValue::Parse(c.text)), c.tree);
  }
}

TEST(JsonParse, RejectsTextsThatAreNotOneArrayOrObject) {
  const std::wstring bad[] = {L"",
                              L"   ",
                              L"\"abc\"",
                              L"42",
                              L"null",
                              L"{\"a\":1} /* note */",
                              L"[1] // trailing",
                              L"{\"a\":1",
                              L"[1}",
                              L"\ufeff{}",
                              L"{\"a\":\u00e9}",
                              L"{\"a\":1\x01}",
                              L"/{}",
                              L"/* unterminated {}",
                              L"# only a comment",
                              L"[",
                              L"]"};
  for (const auto& text : bad) {
    try {
      JsonValue::Parse(text);
      ADD_FAILURE() << "parsed: " << text.size();
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), "");
    }
  }
}

TEST(JsonValueReads, SurrogatePairEscapeGivesOneCharacter) {
  JsonValue root = JsonValue::Parse(L"[\"\\uD83D\\uDE00\"]");
  EXPECT_EQ(root.TakeFirst().AsString(), L"\U0001F600");
}

TEST(JsonValueReads, GetTypeDoesNotConvertButReadsDo) {
  JsonValue root = JsonValue::Parse(L"{\"a\":1,}");
  EXPECT_EQ(root.GetType(), JsonObject);
  EXPECT_EQ(root.GetCount(), 0);
  EXPECT_EQ(root.GetType(), JsonNull);
  EXPECT_EQ(root.AsString(), L"");
}

TEST(JsonValueReads, ConversionIsSharedWithoutChangingWhatSharersSee) {
  JsonValue root = JsonValue::Parse(L"{\"a\":[1,2],\"s\":\"x\\ty\"}");
  JsonValue sharer = root;
  EXPECT_EQ(root.GetCount(), 2);
  EXPECT_EQ(sharer.GetCount(), 2);
  EXPECT_EQ(sharer.Find(L"s")->AsString(), L"x\ty");
  EXPECT_EQ(root.Find(L"s")->AsString(), L"x\ty");
}

TEST(JsonValueReads, DefaultAndMovedFromValuesAreNull) {
  JsonValue value;
  EXPECT_EQ(value.GetType(), JsonNull);
  EXPECT_EQ(value.AsString(), L"null");
  EXPECT_EQ(value.AsInt64(), 0);
  EXPECT_EQ(value.GetCount(), 0);
  EXPECT_EQ(value.GetName(), L"");
  EXPECT_EQ(value.begin(), value.end());
  EXPECT_FALSE(value.Find(L"").has_value());

  JsonValue source = JsonValue::Parse(L"[1]");
  JsonValue target = std::move(source);
  EXPECT_EQ(target.GetCount(), 1);
  EXPECT_EQ(source.GetType(), JsonNull);  // NOLINT(bugprone-use-after-move): documented state
}

TEST(JsonValueReads, SelfAssignmentKeepsTheValue) {
  JsonValue value = JsonValue::Parse(L"[1,2]");
  JsonValue& alias = value;
  value = alias;
  EXPECT_EQ(value.GetCount(), 2);
  value = std::move(alias);
  EXPECT_EQ(value.GetCount(), 2);
}

TEST(JsonValueReads, ScalarsHaveNoChildren) {
  JsonValue root = JsonValue::Parse(L"[\"s\",1,true,null]");
  for (JsonValue& child : root) {
    EXPECT_EQ(child.GetCount(), 0);
    EXPECT_EQ(child.begin(), child.end());
    EXPECT_FALSE(child.Find(L"").has_value());
  }
}

TEST(JsonFind, FirstExactMatchOnly) {
  JsonValue root = JsonValue::Parse(L"{\"a\":1,\"ab\":2,\"a\":3,\"A\":4}");
  ASSERT_TRUE(root.Find(L"a").has_value());
  EXPECT_EQ(root.Find(L"a")->AsInt64(), 1);
  EXPECT_EQ(root.Find(L"ab")->AsInt64(), 2);
  EXPECT_EQ(root.Find(L"A")->AsInt64(), 4);
  EXPECT_FALSE(root.Find(L"b").has_value());
  EXPECT_FALSE(root.Find(L"abc").has_value());
  EXPECT_FALSE(root.Find(L"").has_value());
  EXPECT_EQ(root.Find(L"a")->GetName(), L"a");
}

TEST(JsonIteration, YieldsChildrenInSourceOrderWithNames) {
  JsonValue root = JsonValue::Parse(L"{\"z\":1,\"a\":2,\"m\":3}");
  std::vector<std::wstring> names;
  std::vector<std::int64_t> values;
  for (const JsonValue& child : root) {
    names.push_back(child.GetName());
    values.push_back(child.AsInt64());
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"z", L"a", L"m"}));
  EXPECT_EQ(values, (std::vector<std::int64_t>{1, 2, 3}));
}

TEST(JsonIteration, ChangingChildrenOfACopyLeavesTheOriginal) {
  JsonValue original = JsonValue::Parse(L"[[1,2],[3]]");
  JsonValue copy = original;
  for (JsonValue& child : copy) child.TakeFirst();
  EXPECT_EQ(DescribeJson(copy), L"[[N\"2\"=2],[]]");
  EXPECT_EQ(DescribeJson(original), L"[[N\"1\"=1,N\"2\"=2],[N\"3\"=3]]");
}

TEST(JsonTakeFirst, TakesInOrderThenThrows) {
  JsonValue root = JsonValue::Parse(L"{\"a\":1,\"b\":[2]}");
  JsonValue first = root.TakeFirst();
  EXPECT_EQ(first.GetName(), L"a");
  EXPECT_EQ(first.AsInt64(), 1);
  EXPECT_EQ(root.GetCount(), 1);
  EXPECT_FALSE(root.Find(L"a").has_value());
  JsonValue second = root.TakeFirst();
  EXPECT_EQ(DescribeJson(second), L"b:[N\"2\"=2]");
  EXPECT_EQ(root.GetCount(), 0);
  EXPECT_EQ(root.begin(), root.end());
  try {
    root.TakeFirst();
    ADD_FAILURE() << "took from an empty object";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "");
  }
}

TEST(JsonTakeFirst, ThrowsOnNonContainers) {
  JsonValue root = JsonValue::Parse(L"[\"s\",1,true,null,{\"a\":1,}]");
  for (JsonValue& child : root) EXPECT_THROW(child.TakeFirst(), std::out_of_range);
  JsonValue empty;
  EXPECT_THROW(empty.TakeFirst(), std::out_of_range);
}

TEST(JsonTakeFirst, LeavesSharersUnchanged) {
  JsonValue original = JsonValue::Parse(L"[1,2,3]");
  JsonValue copy = original;
  EXPECT_EQ(copy.TakeFirst().AsInt64(), 1);
  EXPECT_EQ(copy.TakeFirst().AsInt64(), 2);
  EXPECT_EQ(DescribeJson(copy), L"[N\"3\"=3]");
  EXPECT_EQ(DescribeJson(original), L"[N\"1\"=1,N\"2\"=2,N\"3\"=3]");
}

TEST(JsonTakeFirst, CopiesOfAPartlyTakenValueKeepTheRest) {
  JsonValue root = JsonValue::Parse(L"[1,2,3,4]");
  root.TakeFirst();
  JsonValue copy = root;
  EXPECT_EQ(copy.TakeFirst().AsInt64(), 2);
  EXPECT_EQ(root.TakeFirst().AsInt64(), 2);
  EXPECT_EQ(DescribeJson(copy), L"[N\"3\"=3,N\"4\"=4]");
  EXPECT_EQ(DescribeJson(root), L"[N\"3\"=3,N\"4\"=4]");
  EXPECT_EQ(DescribeJson(root.ToObject()), L"{N\"3\"=3,N\"4\"=4}");
  JsonValue object = JsonValue::Parse(L"{\"a\":1,\"b\":2}");
  object.TakeFirst();
  EXPECT_EQ(DescribeJson(object.ToArray()), L"[N\"2\"=2]");
  EXPECT_EQ(object.Find(L"b")->AsInt64(), 2);
}

TEST(JsonTakeFirst, ManyElementsOneByOne) {
  std::wstring text = L"[";
  for (int i = 0; i < 20000; ++i) text += std::to_wstring(i) + L",";
  text += L"20000]";
  JsonValue root = JsonValue::Parse(text);
  for (int i = 0; i <= 20000; ++i) ASSERT_EQ(root.TakeFirst().AsInt64(), i);
  EXPECT_EQ(root.GetCount(), 0);
}

TEST(JsonToObject, Table) {
  const ReadCase cases[] = {
      {L"{\"a\":1}", L"{a:N\"1\"=1}"},
      {L"[1,[2]]", L"{N\"1\"=1,[N\"2\"=2]}"},
      {L"[1:2]", L"{}"},  // an array whose split fails is null
      {L"{\"a\":1,}", L"{}"},
      {L"[]", L"{}"},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeJson(JsonValue::Parse(c.text).ToObject()), c.tree) << c.text;
  EXPECT_EQ(DescribeJson(JsonValue().ToObject()), L"{}");
  JsonValue scalars = JsonValue::Parse(L"[\"s\",1,true,null]");
  for (const JsonValue& child : scalars) EXPECT_EQ(DescribeJson(child.ToObject()), L"{}");
}

TEST(JsonToArray, Table) {
  const ReadCase cases[] = {
      {L"[1,{\"a\":2}]", L"[N\"1\"=1,{a:N\"2\"=2}]"},
      {L"{\"a\":1,\"b\":{\"c\":2}}", L"[N\"1\"=1,{c:N\"2\"=2}]"},  // names cleared, grandchildren keep theirs
      {L"{\"a\":1,}", L"[]"},
      {L"{}", L"[]"},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeJson(JsonValue::Parse(c.text).ToArray()), c.tree) << c.text;
  EXPECT_EQ(DescribeJson(JsonValue().ToArray()), L"[]");
  JsonValue scalars = JsonValue::Parse(L"[\"s\",1,true,null]");
  for (const JsonValue& child : scalars) EXPECT_EQ(DescribeJson(child.ToArray()), L"[]");
}

TEST(JsonToArray, TakingFromTheCopyLeavesTheObject) {
  JsonValue object = JsonValue::Parse(L"{\"a\":1,\"b\":{\"c\":2}}");
  JsonValue array = object.ToArray();
  JsonValue first = array.TakeFirst();
  EXPECT_EQ(first.GetName(), L"");
  JsonValue second = array.TakeFirst();
  EXPECT_EQ(second.TakeFirst().GetName(), L"c");
  EXPECT_EQ(array.GetCount(), 0);
  EXPECT_EQ(DescribeJson(object), L"{a:N\"1\"=1,b:{c:N\"2\"=2}}");
}

TEST(JsonToObject, TakingFromTheCopyLeavesTheArray) {
  JsonValue array = JsonValue::Parse(L"[[1],2]");
  JsonValue object = array.ToObject();
  EXPECT_EQ(object.GetType(), JsonObject);
  object.TakeFirst();
  EXPECT_EQ(DescribeJson(object), L"{N\"2\"=2}");
  EXPECT_EQ(DescribeJson(array), L"[[N\"1\"=1],N\"2\"=2]");
}

TEST(JsonToObject, OfAnObjectSharesButStaysCopyOnWrite) {
  JsonValue object = JsonValue::Parse(L"{\"a\":1,\"b\":2}");
  JsonValue same = object.ToObject();
  same.TakeFirst();
  EXPECT_EQ(DescribeJson(same), L"{b:N\"2\"=2}");
  EXPECT_EQ(DescribeJson(object), L"{a:N\"1\"=1,b:N\"2\"=2}");
}

TEST(JsonValueCopies, TakenChildOutlivesItsTree) {
  JsonValue child;
  {
    JsonValue root = JsonValue::Parse(L"[{\"k\":\"v\"},2]");
    child = root.TakeFirst();
  }
  EXPECT_EQ(DescribeJson(child), L"{k:S\"v\"=0}");
}

}  // namespace
}  // namespace cw
