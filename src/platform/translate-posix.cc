// Translations through glibc's libintl: the domain "clipwright" is bound to
// the program's own locale folder on first use, its texts always in UTF-8.
// The process's locale is what the program set: GTK sets the user's at
// start-up, clipwright-cli its LC_MESSAGES and LC_CTYPE (see
// UseUserLanguage in the command line); glibc ignores LANGUAGE under the "C"
// locale, so a plain "C" process stays English.
#include <libintl.h>

#include <clocale>
#include <cstdlib>

#include <mutex>

#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {

namespace {

constexpr const char* kDomain = "clipwright";

void BindDomain() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::string folder = WideToSystem(LocaleFolderFor(ProgramFolder(), RunsInstalled()));
    bindtextdomain(kDomain, folder.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
  });
}

// The translation as wide text, or `fallback` when gettext handed back the
// English text itself (no catalogue or no entry).
std::wstring Looked(const char* answer, const std::string& asked, const wchar_t* fallback) {
  if (answer == asked.c_str()) return fallback;
  return SystemToWideReplacing(answer);
}

}  // namespace

std::wstring Tr(const wchar_t* english) {
  if (english == nullptr || *english == L'\0') return english ? english : L"";
  BindDomain();
  std::string asked = WideToSystem(english);
  return Looked(dgettext(kDomain, asked.c_str()), asked, english);
}

std::wstring TrN(const wchar_t* singular, const wchar_t* plural, unsigned long n) {
  BindDomain();
  std::string one = WideToSystem(singular);
  std::string many = WideToSystem(plural);
  const char* answer = dngettext(kDomain, one.c_str(), many.c_str(), n);
  if (answer == one.c_str()) return singular;
  if (answer == many.c_str()) return plural;
  return SystemToWideReplacing(answer);
}

void UseUserLanguage() { std::setlocale(LC_MESSAGES, ""); }

bool SetMessageLanguage(const char* locale) {
  // glibc reads LANGUAGE before LC_MESSAGES (except under "C").
  unsetenv("LANGUAGE");
  return std::setlocale(LC_MESSAGES, locale) != nullptr;
}

std::wstring TextLanguage() {
  BindDomain();
  // The empty text's translation is the catalogue's header.
  const char* header = dgettext(kDomain, "");
  std::wstring language = header && *header ? LanguageOfHeader(header) : L"";
  return language.empty() ? L"en" : language;
}

}  // namespace cw
