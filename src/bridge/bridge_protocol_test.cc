// Tests of the bridge messages: request parsing, string encoding, replies.
#include "bridge/bridge_protocol.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(ParseBridgeRequest, AcceptsTheFiveValueForms) {
  struct Case {
    std::string text;
    BridgeRequest::Kind kind;
    std::wstring name;
    std::optional<std::wstring> arg;
    std::wstring parm;
    std::wstring config;
  };
  const Case cases[] = {
      {R"(bridge:["call","pauseTask",null,"{ABC}","{}"])", BridgeRequest::Kind::kCall, L"pauseTask",
       std::nullopt, L"{ABC}", L"{}"},
      {R"(bridge:[ "call" , "getOutputFilePath" , "{id}" , "" , "" ])", BridgeRequest::Kind::kCall,
       L"getOutputFilePath", L"{id}", L"", L""},
      {R"(bridge:["click","ButtonOK",null,"",""])", BridgeRequest::Kind::kClick, L"ButtonOK", std::nullopt,
       L"", L""},
      // Escapes of every kind, and raw UTF-8 beside them.
      {R"(bridge:["call","setConfigJson",null,"a\"b\\c\/d\n\t\r\b\f","D:\\Vidéos & <x>"])",
       BridgeRequest::Kind::kCall, L"setConfigJson", std::nullopt, L"a\"b\\c/d\n\t\r\b\f",
       L"D:\\Vid\u00e9os & <x>"},
      // A surrogate pair joins into one character; an unpaired half becomes U+FFFD.
      {R"(bridge:["call","x",null,"\ud83c\udfac","\udc80\u00e9"])", BridgeRequest::Kind::kCall, L"x",
       std::nullopt, L"\U0001F3AC", L"\uFFFD\u00e9"},
      {R"(bridge:["call","x",null,"\ud83c\u0041",""])", BridgeRequest::Kind::kCall, L"x", std::nullopt,
       L"\uFFFDA", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<BridgeRequest> r = ParseBridgeRequest(c.text);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->kind, c.kind);
    EXPECT_EQ(r->name, c.name);
    EXPECT_EQ(r->arg, c.arg);
    EXPECT_EQ(r->parm_text, c.parm);
    EXPECT_EQ(r->config_text, c.config);
  }
}

TEST(ParseBridgeRequest, RejectsEverythingElse) {
  const char* cases[] = {
      R"(["call","x",null,"",""])",                  // no prefix
      R"(Bridge:["call","x",null,"",""])",           // prefix is exact
      R"(bridge:["call","x",null,""])",              // four values
      R"(bridge:["call","x",null,"","",""])",        // six values
      R"(bridge:["call",null,null,"",""])",          // no name
      R"(bridge:["call","x",null,null,""])",         // element text missing
      R"(bridge:["open","x",null,"",""])",           // unknown kind
      R"(bridge:["call","x",1,"",""])",              // number argument
      R"(bridge:["call","x",null,"",""] x)",         // trailing text
      R"(bridge:["call","x",null,"","])",            // unterminated string
      R"(bridge:["call","x",null,"\q",""])",         // unknown escape
      R"(bridge:["call","x",null,"\u12",""])",       // short \u
      "bridge:[\"call\",\"x\",null,\"a\nb\",\"\"]",  // raw control character
      R"(bridge:["call","x",null,"",""],)",
      R"(bridge:)",
      R"(bridge:[)",
      R"(bridge:["call","x",nul,"",""])",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    EXPECT_FALSE(ParseBridgeRequest(c).has_value());
  }
}

TEST(EncodeJsonString, EscapesWhatJsonAndScriptsNeed) {
  const std::pair<std::wstring, std::string> cases[] = {
      {L"", R"("")"},
      {L"clip.avi", R"("clip.avi")"},
      {L"a\"b\\c", R"("a\"b\\c")"},
      {L"a<b & c>.avi", R"("a\u003cb \u0026 c\u003e.avi")"},
      {L"l1\nl2\r\t\x01", R"("l1\nl2\r\t\u0001")"},
      {L"Vid\u00e9o \u65e5\u672c", "\"Vid\xc3\xa9o \xe6\x97\xa5\xe6\x9c\xac\""},
      {L"\u2028\u2029", R"("\u2028\u2029")"},
      {L"\U0001F3AC", R"("\ud83c\udfac")"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)), R"("\ufffd")"},
      {std::wstring(1, static_cast<wchar_t>(0x110000)), R"("\ufffd")"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(EncodeJsonString(text), expected);
  }
}

// A file name's bytes that are not UTF-8 (escaped bytes U+DC80-U+DCFF) reach
// the page as U+FFFD: it never receives a lone surrogate. And the page cannot
// make escaped bytes: raw bytes that are not UTF-8 read as U+FFFD.
TEST(EncodeJsonString, EscapedBytesReachThePageAsReplacement) {
  const std::wstring name = {L'a', static_cast<wchar_t>(0xDCFF), static_cast<wchar_t>(0xDCFE), L'.', L'a', L'v',
                             L'i'};
  EXPECT_EQ(EncodeJsonString(name), R"("a\ufffd\ufffd.avi")");
  EXPECT_EQ(EncodeJsonString(std::wstring(1, static_cast<wchar_t>(0xDC80)) + L"\u00e9"), "\"\\ufffd\xc3\xa9\"");

  std::vector<std::optional<std::wstring>> values;
  ASSERT_TRUE(ParseJsonStringArray("[\"a\xFF\xFE.avi\", \"\\udcff\"]", &values));
  EXPECT_EQ(values, (std::vector<std::optional<std::wstring>>{L"a\uFFFD\uFFFD.avi", L"\uFFFD"}));
}

// Whatever the host writes comes back from the page unchanged: the element
// carries text, not markup.
TEST(EncodeJsonString, RoundTripsThroughTheRequestParser) {
  const std::wstring texts[] = {
      L"a<b & c>.avi",
      L"<img src=x onerror=alert(1)>.avi",
      L"{\"outputDir\": \"/home/me/Videos & Films\"}",
      L"&amp; stays &amp;",
      L"C:\\output\\",
      L"\U0001F3AC \u00e9\u00e8 \u4e2d",
      L"quote\" back\\slash \x7f",
  };
  for (const std::wstring& text : texts) {
    std::string json = "[" + EncodeJsonString(text) + "]";
    std::vector<std::optional<std::wstring>> values;
    ASSERT_TRUE(ParseJsonStringArray(json, &values)) << json;
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], text);
  }
}

TEST(EncodeBridgeReply, GivesResultAndOperationsInOrder) {
  std::vector<PageOp> ops = {
      {PageOp::Kind::kSetText, L"configParmContainer", L"{\"a\": 1}"},
      {PageOp::Kind::kCall, L"updateConfig", L""},
      {PageOp::Kind::kSetData, L"queueEstimate", L"90", L"seconds"},
  };
  EXPECT_EQ(EncodeBridgeReply(std::nullopt, ops),
            R"({"ret":null,"ops":[{"set":"configParmContainer","text":"{\"a\": 1}"},{"call":"updateConfig"},)"
            R"({"data":"queueEstimate","key":"seconds","text":"90"}]})");
  EXPECT_EQ(EncodeBridgeReply(std::wstring(L"None"), {}), R"({"ret":"None","ops":[]})");
}

TEST(ParseJsonStringArray, EmptyArrayAndNulls) {
  std::vector<std::optional<std::wstring>> values;
  ASSERT_TRUE(ParseJsonStringArray(" [ ] ", &values));
  EXPECT_TRUE(values.empty());
  ASSERT_TRUE(ParseJsonStringArray("[null,\"\"]", &values));
  ASSERT_EQ(values.size(), 2u);
  EXPECT_FALSE(values[0].has_value());
  EXPECT_EQ(values[1], std::wstring());
  EXPECT_FALSE(ParseJsonStringArray("[[]]", &values));
  EXPECT_TRUE(values.empty());
}

}  // namespace
}  // namespace cw
