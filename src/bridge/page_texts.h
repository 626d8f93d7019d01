// The page's texts in the user's language. At start-up the page hands the
// host, in one call (getPageTexts), the English texts it shows: a JSON array
// of strings. The host answers with one JSON object
//   {"lang": "de", "texts": {"Add files": "Dateien hinzufügen", ...}}
// holding every listed text once, translated or (without a translation) as
// it came. The page sets document.documentElement.lang from "lang".
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cw {

using TextTranslator = std::function<std::wstring(const std::wstring& english)>;

// The answer for `english_list` (anything but a JSON array of strings counts
// as an empty list; other elements are skipped) with every text passed
// through `translate`, and `language` as "lang". Pure apart from `translate`.
std::wstring PageTextsJson(std::wstring_view english_list, const TextTranslator& translate,
                           const std::wstring& language);

// PageTextsJson with the program's catalogues (Tr) and TextLanguage().
std::wstring PageTextsForUser(std::wstring_view english_list);

}  // namespace cw
