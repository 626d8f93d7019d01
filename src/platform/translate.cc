// The portable half of the translations: filling in values, the catalogue
// header's language and the locale folder.
#include "platform/translate.h"

#include "platform/text.h"

namespace cw {

std::wstring Fill(std::wstring_view pattern, std::initializer_list<std::wstring_view> args) {
  std::wstring out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    wchar_t c = pattern[i];
    if (c == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' && pattern[i + 1] <= L'9') {
      size_t index = static_cast<size_t>(pattern[i + 1] - L'1');
      if (index < args.size()) {
        out += *(args.begin() + index);
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::wstring LanguageOfHeader(std::string_view header) {
  constexpr std::string_view kField = "Language:";
  size_t at = 0;
  while (at < header.size()) {
    size_t end = header.find('\n', at);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(at, end - at);
    if (line.substr(0, kField.size()) == kField) {
      std::string_view value = line.substr(kField.size());
      size_t first = value.find_first_not_of(" \t");
      size_t last = value.find_last_not_of(" \t\r");
      if (first == std::string_view::npos) return L"";
      value = value.substr(first, last - first + 1);
      std::wstring language;
      // A language code is ASCII letters, '_', '-' and '@' ("pt_BR", "sr@latin").
      for (char ch : value) {
        bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_' || ch == '-' || ch == '@';
        if (!ok) return L"";
        language += static_cast<wchar_t>(ch);
      }
      return language;
    }
    at = end + 1;
  }
  return L"";
}

std::string TrUtf8(const wchar_t* english) { return WideToDisplayUtf8(Tr(english)); }

std::wstring LocaleFolderFor(const std::wstring& program_folder, bool installed) {
  return program_folder + (installed ? L"../share/locale/" : L"locale/");
}

}  // namespace cw
