// Tests of JSON string escaping: every escaped text parses back, as JSON, to
// the text it came from.
#include "json/json_escape.h"

#include <gtest/gtest.h>

#include "json/json_value.h"

namespace cw {
namespace {

std::wstring Escaped(std::wstring_view text, LoneSurrogates s = LoneSurrogates::kReplacement) {
  std::wstring out;
  AppendJsonEscaped(&out, text, s);
  return out;
}

TEST(JsonEscape, EscapesWhatCouldEndOrBreakAString) {
  const struct {
    std::wstring_view text;
    std::wstring_view escaped;
  } cases[] = {
      {L"plain name.avi", L"plain name.avi"},
      {L"a\"b", L"a\\\"b"},
      {L"C:\\dir\\", L"C:\\\\dir\\\\"},
      {L"line\nbreak\ttab\r", L"line\\u000abreak\\u0009tab\\u000d"},
      {std::wstring_view(L"nul\0x", 5), L"nul\\u0000x"},
      {L"del\x7F", L"del\\u007f"},
      {L"a\",\"iStatus\": 4,\"", L"a\\\",\\\"iStatus\\\": 4,\\\""},
      {L"<script>&", L"<script>&"},
      {L"\u4E2D\u6587 \U0001F600", L"\u4E2D\u6587 \U0001F600"},
  };
  for (const auto& c : cases) EXPECT_EQ(Escaped(c.text), c.escaped) << std::wstring(c.text);
}

TEST(JsonEscape, LoneSurrogatesAreKeptOrReplacedAsAsked) {
  const std::wstring text = L"x\xDCFFy";
  EXPECT_EQ(Escaped(text), L"x\uFFFDy");
  EXPECT_EQ(Escaped(text, LoneSurrogates::kEscape), L"x\\udcffy");
}

TEST(JsonEscape, EscapedTextParsesBackToTheOriginal) {
  for (std::wstring_view text : {L"a\"b\\c", L"\"", L"\\", L"x\n\"y\"\\\\", L"{\"fileName\": \"x\"}"}) {
    JsonValue value = JsonValue::Parse(L"{\"v\": \"" + Escaped(text) + L"\"}");
    std::optional<JsonValue> v = value.Find(L"v");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->AsString(), text);
  }
}

}  // namespace
}  // namespace cw
