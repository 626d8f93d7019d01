// The engine's reasons matched against their patterns and shown for people.
#include "tasks/reason_texts.h"

#include <gtest/gtest.h>

#include "platform/translate.h"

namespace cw {
namespace {

TEST(MatchPattern, FindsTheValuesOrRefuses) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* text;
    bool matches;
    std::vector<std::wstring> values;
  } cases[] = {
      {L"the encoder failed (exit status %1)", L"the encoder failed (exit status 1)", true, {L"1"}},
      {L"the encoder failed (exit status %1)", L"the encoder failed (exit status )", false, {}},  // no empty value
      {L"the encoder failed (exit status %1)", L"the encoder failed (exit status 1) again", false, {}},
      {L"the source ended early: %1 s of %2 s converted", L"the source ended early: 3.5 s of 10 s converted", true,
       {L"3.5", L"10"}},
      {L"%2 then %1", L"b then a", true, {L"a", L"b"}},
      // A path that holds the pattern's own words stays whole at the end.
      {L"the encoder could not be started: %1", L"the encoder could not be started: /a: b/xenc", true,
       {L"/a: b/xenc"}},
      {L"the output file is missing", L"the output file is missing", true, {}},
      {L"the output file is missing", L"the output file is missing!", false, {}},
      {L"the output file is missing", L"", false, {}},
      {L"%1%2", L"ab", false, {}},  // places side by side
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> values;
    EXPECT_EQ(MatchPattern(c.pattern, c.text, &values), c.matches) << c.pattern << " / " << c.text;
    if (c.matches) {
      EXPECT_EQ(values, c.values) << c.text;
    }
  }
}

// Every reason the engine writes comes back unchanged without a catalogue.
TEST(ReasonForPeople, EnglishUnchanged) {
  ASSERT_TRUE(SetMessageLanguage("C"));
  for (const wchar_t* pattern : ReasonTexts()) {
    std::wstring english = Fill(pattern, {L"7", L"9"});
    EXPECT_EQ(ReasonForPeople(english), english);
  }
  EXPECT_EQ(ReasonForPeople(L"[mp4 @ 0x1] Invalid data found"), L"[mp4 @ 0x1] Invalid data found");
}

// Every reason comes in German with the German catalogue; what is no reason
// of ours stays as it is.
TEST(ReasonForPeople, GermanTranslated) {
  ASSERT_TRUE(SetMessageLanguage("de_DE.UTF-8")) << "scripts/setup-deps.sh installs locales-all";
  for (const wchar_t* pattern : ReasonTexts()) {
    std::wstring english = Fill(pattern, {L"7", L"9"});
    EXPECT_NE(ReasonForPeople(english), english) << english;
  }
  EXPECT_EQ(ReasonForPeople(L"the encoder failed (exit status 183)"), L"der Encoder ist fehlgeschlagen (Exit-Status 183)");
  EXPECT_EQ(ReasonForPeople(L"no progress for 75 s"), L"seit 75 s kein Fortschritt");
  EXPECT_EQ(ReasonForPeople(L"[mp4 @ 0x1] Invalid data found"), L"[mp4 @ 0x1] Invalid data found");
  SetMessageLanguage("C");
}

}  // namespace
}  // namespace cw
