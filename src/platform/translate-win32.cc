// Translations on Windows: the programs there ship no catalogues yet (mingw-w64
// has no libintl), so every text is the English one, as under a "C" locale.
#include "platform/translate.h"

#include <string_view>

namespace cw {

std::wstring Tr(const wchar_t* english) { return english ? english : L""; }

std::wstring TrN(const wchar_t* singular, const wchar_t* plural, unsigned long n) {
  return n == 1 ? singular : plural;
}

void UseUserLanguage() {}

// Only the English texts exist here: "C", "POSIX" and English locales.
bool SetMessageLanguage(const char* locale) {
  std::string_view name = locale ? locale : "";
  return name == "C" || name == "POSIX" || name.starts_with("en");
}

std::wstring TextLanguage() { return L"en"; }

}  // namespace cw
