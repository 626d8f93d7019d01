// Deeply nested texts: parsing, walking, copying and releasing must neither
// recurse nor take time that grows with depth times length.
#include <gtest/gtest.h>

#include <string>

#include "json/json_value.h"
#include "json/json_walk.h"

namespace cw {
namespace {

constexpr int kDepth = 100000;

std::wstring NestedArrays(int depth, const std::wstring& core = L"") {
  return std::wstring(depth, L'[') + core + std::wstring(depth, L']');
}

std::wstring NestedObjects(int depth) {
  std::wstring text;
  for (int i = 0; i < depth; ++i) text += L"{\"a\":";
  text += L"1";
  text += std::wstring(depth, L'}');
  return text;
}

struct WalkSummary {
  long nodes = 0;
  int maxDepth = 0;
  long numbers = 0;
};

WalkSummary Walk(const JsonValue& root) {
  WalkSummary summary;
  WalkJson(root, [&summary](const JsonValue& value, int depth) {
    value.AsString();
    ++summary.nodes;
    if (depth > summary.maxDepth) summary.maxDepth = depth;
    if (value.GetType() == JsonNumber) ++summary.numbers;
  });
  return summary;
}

TEST(JsonDeep, NestedArraysParseWalkAndRelease) {
  JsonValue root = JsonValue::Parse(NestedArrays(kDepth));
  WalkSummary summary = Walk(root);
  EXPECT_EQ(summary.nodes, kDepth);
  EXPECT_EQ(summary.maxDepth, kDepth - 1);
}

TEST(JsonDeep, NestedObjectsParseWalkAndRelease) {
  JsonValue root = JsonValue::Parse(NestedObjects(kDepth));
  WalkSummary summary = Walk(root);
  EXPECT_EQ(summary.nodes, kDepth + 1);
  EXPECT_EQ(summary.maxDepth, kDepth);
  EXPECT_EQ(summary.numbers, 1);
}

TEST(JsonDeep, UnclosedNestingIsRejected) {
  EXPECT_THROW(JsonValue::Parse(std::wstring(kDepth, L'[')), std::invalid_argument);
  EXPECT_THROW(JsonValue::Parse(std::wstring(kDepth, L'{')), std::invalid_argument);
}

TEST(JsonDeep, MalformedCoreReadsAsNullAtTheBottom) {
  JsonValue root = JsonValue::Parse(NestedArrays(kDepth, L"1:2"));
  WalkSummary summary = Walk(root);
  EXPECT_EQ(summary.nodes, kDepth);  // the innermost array turned null
}

// Changing the innermost level of a copy copies the path to it, leaves the
// original whole, and both trees are released without recursion.
TEST(JsonDeep, CopyOnWriteAlongTheWholeDepth) {
  JsonValue original = JsonValue::Parse(NestedArrays(kDepth, L"7"));
  JsonValue copy = original;
  JsonValue* level = &copy;
  for (int i = 1; i < kDepth; ++i) {
    JsonValue* child = level->begin();  // makes this level private
    ASSERT_NE(child, level->end());
    level = child;
  }
  EXPECT_EQ(level->TakeFirst().AsInt64(), 7);
  EXPECT_EQ(Walk(copy).numbers, 0);
  EXPECT_EQ(Walk(original).numbers, 1);
  JsonValue object = original.ToObject();
  EXPECT_EQ(object.GetType(), JsonObject);
  EXPECT_EQ(Walk(object).nodes, kDepth + 1);
}

TEST(JsonDeep, ReleasingAChildAfterItsRoot) {
  JsonValue inner;
  {
    JsonValue root = JsonValue::Parse(NestedArrays(kDepth));
    JsonValue* level = &root;
    for (int i = 0; i < kDepth / 2; ++i) level = level->begin();
    inner = *level;
  }
  EXPECT_EQ(Walk(inner).nodes, kDepth - kDepth / 2);
}

TEST(JsonDeep, LongCommentsAndStringsInsideDeepNesting) {
  std::wstring core = L"\"" + std::wstring(1000, L'x') + L"\",/*" + std::wstring(1000, L'[') + L"*/2";
  JsonValue root = JsonValue::Parse(NestedArrays(2000, core));
  WalkSummary summary = Walk(root);
  EXPECT_EQ(summary.nodes, 2000 + 2);
  EXPECT_EQ(summary.numbers, 1);
}

}  // namespace
}  // namespace cw
