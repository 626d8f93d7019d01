// Translations on Windows: the programs ship no catalogues there, so a
// request for another language is refused and every text stays English.
#include "platform/translate.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(TranslationsWin32, OnlyEnglishIsOffered) {
  struct Case {
    const char* locale;
    bool offered;
  } cases[] = {
      {"C", true}, {"POSIX", true}, {"en_GB.UTF-8", true}, {"de_DE.UTF-8", false}, {"fr_FR.UTF-8", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SetMessageLanguage(c.locale), c.offered) << c.locale;
  EXPECT_FALSE(SetMessageLanguage(nullptr));
}

TEST(TranslationsWin32, TextsStayEnglishAfterARefusedLanguage) {
  ASSERT_FALSE(SetMessageLanguage("de_DE.UTF-8"));
  UseUserLanguage();
  EXPECT_EQ(Tr(L"&File"), L"&File");
  EXPECT_EQ(Tr(nullptr), L"");
  EXPECT_EQ(TrUtf8(L"Add files"), "Add files");
  EXPECT_EQ(TrN(L"%1 file converted.", L"%1 files converted.", 1), L"%1 file converted.");
  EXPECT_EQ(TrN(L"%1 file converted.", L"%1 files converted.", 0), L"%1 files converted.");
  EXPECT_EQ(TextLanguage(), L"en");
}

}  // namespace
}  // namespace cw
