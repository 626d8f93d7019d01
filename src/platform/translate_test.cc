// Translations: filling in values, the catalogue header's language, the
// locale folder, and the lookups through the catalogues the build made
// (locale/ of the build folder, which is this test's program folder).
#include "platform/translate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cw {
namespace {

TEST(Fill, PutsValuesInTheirPlaces) {
  struct Case {
    const wchar_t* pattern;
    std::vector<std::wstring> args;
    const wchar_t* expected;
  } cases[] = {
      {L"Queue: %1", {L"3 minutes"}, L"Queue: 3 minutes"},
      {L"%2 of %1", {L"a", L"b"}, L"b of a"},                    // a translation may reorder
      {L"%1%1", {L"x"}, L"xx"},                                  // and repeat
      {L"10 % of %1", {L"it"}, L"10 % of it"},                   // other '%' stay
      {L"%3 and %1", {L"a"}, L"%3 and a"},                       // a place without a value stays
      {L"100%", {L"a"}, L"100%"},                                // '%' at the end
      {L"%1", {L"%2"}, L"%2"},                                   // values are not filled again
      {L"%0 %9", {L"a", L"b"}, L"%0 %9"},
      {L"", {L"a"}, L""},
  };
  for (const Case& c : cases) {
    std::wstring got;
    if (c.args.size() == 1) got = Fill(c.pattern, {c.args[0]});
    if (c.args.size() == 2) got = Fill(c.pattern, {c.args[0], c.args[1]});
    EXPECT_EQ(got, c.expected) << c.pattern;
  }
}

TEST(LanguageOfHeader, ReadsTheLanguageField) {
  struct Case {
    const char* header;
    const wchar_t* expected;
  } cases[] = {
      {"Project-Id-Version: clipwright 1.0\nLanguage: de\nMIME-Version: 1.0\n", L"de"},
      {"Language: pt_BR\n", L"pt_BR"},
      {"Language:   sr@latin  \n", L"sr@latin"},
      {"Language: fr", L"fr"},                   // no line end
      {"Language-Team: German\nLanguage: \n", L""},
      {"X-Language: de\n", L""},                 // only the field itself
      {"Language: de;rm -rf\n", L""},           // not a language code
      {"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageOfHeader(c.header), c.expected) << c.header;
}

TEST(LocaleFolder, BesideTheProgramOrInstalled) {
  EXPECT_EQ(LocaleFolderFor(L"/work/build/", false), L"/work/build/locale/");
  EXPECT_EQ(LocaleFolderFor(L"/usr/bin/", true), L"/usr/bin/../share/locale/");
}

// The process's language for messages for one test, English again
// afterwards.
class MessageLocale {
 public:
  explicit MessageLocale(const char* name) : ok_(SetMessageLanguage(name)) {}
  ~MessageLocale() { SetMessageLanguage("C"); }
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

TEST(Translations, EnglishTextsComeBackUnchanged) {
  MessageLocale c("C");
  ASSERT_TRUE(c.ok());
  for (const wchar_t* text : {L"&File", L"Add files", L"No such text in any catalogue", L"caf\u00e9 \U0001F600"}) {
    EXPECT_EQ(Tr(text), text);
  }
  EXPECT_EQ(Tr(L""), L"");
  EXPECT_EQ(TrN(L"%1 file converted.", L"%1 files converted.", 1), L"%1 file converted.");
  EXPECT_EQ(TrN(L"%1 file converted.", L"%1 files converted.", 2), L"%1 files converted.");
  EXPECT_EQ(TrN(L"%1 file converted.", L"%1 files converted.", 0), L"%1 files converted.");
  EXPECT_EQ(TextLanguage(), L"en");
}

TEST(Translations, GermanAndFrenchFromTheBuiltCatalogues) {
  struct Case {
    const char* locale;
    const wchar_t* language;
    const wchar_t* file_menu;
    const wchar_t* restore_one;     // TrN with 1
    const wchar_t* shutdown_zero;   // TrN with 0: plural in German, singular in French
  } cases[] = {
      {"de_DE.UTF-8", L"de", L"&Datei", L"Die %1 unfertige Umwandlung vom letzten Mal wiederherstellen?",
       L"Der Computer wird in %1 Sekunden heruntergefahren"},
      {"fr_FR.UTF-8", L"fr", L"&Fichier", L"Restaurer la conversion inachev\u00e9e de la derni\u00e8re fois ?",
       L"L'ordinateur va s'\u00e9teindre dans %1 seconde"},
  };
  for (const Case& c : cases) {
    MessageLocale locale(c.locale);
    ASSERT_TRUE(locale.ok()) << c.locale << " is not installed (scripts/setup-deps.sh installs locales-all)";
    EXPECT_EQ(TextLanguage(), c.language);
    EXPECT_EQ(Tr(L"&File"), c.file_menu);
    EXPECT_EQ(TrN(L"Restore the %1 unfinished conversion from last time?",
                  L"Restore the %1 unfinished conversions from last time?", 1),
              c.restore_one);
    EXPECT_EQ(TrN(L"Computer is going to shutdown in %1 seconds", L"Computer is going to shutdown in %1 seconds", 0),
              c.shutdown_zero);
    EXPECT_EQ(TrUtf8(L"Add files"), c.language == std::wstring(L"de") ? "Dateien hinzuf\xc3\xbcgen" : "Ajouter des fichiers");
    // A text the catalogue lacks stays as it is.
    EXPECT_EQ(Tr(L"No such text in any catalogue"), L"No such text in any catalogue");
  }
}

}  // namespace
}  // namespace cw
