// Tests of the JSON writer: separators in nested containers, escaping as
// asked, and numbers in the C locale.
#include "json/json_writer.h"

#include <gtest/gtest.h>

#include <limits>
#include <locale>

#include "json/json_testing.h"
#include "json/json_value.h"

namespace cw {
namespace {

TEST(JsonWriter, NestedContainersParseBackToWhatWasWritten) {
  JsonWriter w;
  w.BeginObject().Key(L"a").Int(-7).Key(L"list").BeginArray();
  w.BeginObject().Key(L"s").String(L"x\"y\\").EndObject();
  w.BeginArray().EndArray().Bool(true).Null().Fixed(2.5, 1);
  w.EndArray().Key(L"e").BeginObject().EndObject().Key(L"n").Int(INT64_MAX).EndObject();
  EXPECT_EQ(testing::DescribeJson(JsonValue::Parse(w.text())),
            L"{a:N\"-7\"=-7,list:[{s:S\"x\"y\\\"=0},[],B\"true\"=1,Z\"null\"=0,N\"2.5\"=2],e:{},"
            L"n:N\"9223372036854775807\"=9223372036854775807}");
}

TEST(JsonWriter, StringsAreWrittenAsAsked) {
  const std::wstring text = L"a\"\n\xDC80";
  const struct {
    JsonStrings how;
    std::wstring written;
  } cases[] = {
      {JsonStrings::kEscaped, L"[\"a\\\"\\u000a\uFFFD\"]"},
      {JsonStrings::kEscapedKeepBytes, L"[\"a\\\"\\u000a\\udc80\"]"},
      {JsonStrings::kRaw, L"[\"" + text + L"\"]"},
  };
  for (const auto& c : cases) {
    JsonWriter w(c.how);
    w.BeginArray().String(text).EndArray();
    EXPECT_EQ(w.text(), c.written);
  }
  JsonWriter keys(JsonStrings::kRaw);  // names are escaped whatever the values get
  keys.BeginObject().Key(L"k\"").Int(1).EndObject();
  EXPECT_EQ(keys.text(), L"{\"k\\\"\": 1}");
}

TEST(JsonWriter, NumbersIgnoreTheProcessLocale) {
  struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
  };
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  JsonWriter w;
  w.BeginArray().Fixed(66.66, 6).Fixed(100, 6).Fixed(0, 0).Fixed(std::numeric_limits<double>::quiet_NaN(), 6);
  w.Fixed(-std::numeric_limits<double>::infinity(), 2).Int(-1234567).EndArray();
  std::locale::global(previous);
  EXPECT_EQ(w.text(), L"[66.660000,100.000000,0,null,null,-1234567]");
}

}  // namespace
}  // namespace cw
