// The page's texts answer: every listed text once, translated, as JSON the
// page can read whatever the texts hold.
#include "bridge/page_texts.h"

#include <gtest/gtest.h>

#include "json/json_value.h"

namespace cw {
namespace {

// A stand-in translation: ASCII letters in upper case, everything else as it is.
std::wstring Upper(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return out;
}

TEST(PageTexts, ListedTextsComeBackTranslatedOnceEach) {
  struct Case {
    const wchar_t* list;
    const wchar_t* expected;
  } cases[] = {
      {L"[\"Add files\", \"Ready\"]", L"{\"lang\": \"de\", \"texts\": {\"Add files\": \"ADD FILES\", \"Ready\": \"READY\"}"},
      {L"[\"Ready\", \"Ready\"]", L"{\"lang\": \"de\", \"texts\": {\"Ready\": \"READY\"}"},
      // Quotes, backslashes and line breaks stay inside their values.
      {L"[\"Delete \\\"{0}\\\"?\\nIt stops.\"]",
       L"{\"lang\": \"de\", \"texts\": {\"Delete \\\"{0}\\\"?\\u000aIt stops.\": \"DELETE \\\"{0}\\\"?\\u000aIT STOPS.\"}"},
      // Elements that are not texts are skipped; anything but an array is no list.
      {L"[1, \"Ready\", {\"a\": \"b\"}, null]", L"{\"lang\": \"de\", \"texts\": {\"Ready\": \"READY\"}"},
      {L"{\"Ready\": 1}", L"{\"lang\": \"de\", \"texts\": {}"},
      {L"not json", L"{\"lang\": \"de\", \"texts\": {}"},
      {L"", L"{\"lang\": \"de\", \"texts\": {}"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PageTextsJson(c.list, {}, Upper, L"de"), std::wstring(c.expected) + L", \"reasons\": {}}") << c.list;
  }
}

TEST(PageTexts, TheAnswerReadsBackAsTheSameTexts) {
  std::wstring answer = PageTextsJson(L"[\"a\\\\b\", \"tab\\there\", \"\\u00e9t\\u00e9\"]",
                                      {L"the encoder failed (exit status %1)", L"x"}, Upper, L"fr");
  JsonValue root = JsonValue::Parse(answer);
  EXPECT_EQ(root.Find(L"lang")->AsString(), L"fr");
  JsonValue texts = *root.Find(L"texts");
  ASSERT_EQ(texts.GetCount(), 3);
  EXPECT_EQ(texts.Find(L"a\\b")->AsString(), L"A\\B");
  EXPECT_EQ(texts.Find(L"tab\there")->AsString(), L"TAB\tHERE");
  EXPECT_EQ(texts.Find(L"\u00e9t\u00e9")->AsString(), L"\u00e9T\u00e9");
  JsonValue reasons = *root.Find(L"reasons");
  ASSERT_EQ(reasons.GetCount(), 2);
  EXPECT_EQ(reasons.Find(L"the encoder failed (exit status %1)")->AsString(), L"THE ENCODER FAILED (EXIT STATUS %1)");
}

}  // namespace
}  // namespace cw
