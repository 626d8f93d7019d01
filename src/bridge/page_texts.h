// The page's texts in the user's language. At start-up the page hands the
// host, in one call (getPageTexts), the English texts it shows: a JSON array
// of strings. The host answers with one JSON object
//   {"lang": "de", "texts": {"Add files": "Dateien hinzufügen", ...},
//    "reasons": {"the encoder failed (exit status %1)": "der Encoder ...", ...}}
// holding every listed text once, translated or (without a translation) as
// it came, and the engine's reason patterns (tasks/reason_texts.h) with
// theirs: the task list carries a failed or stalled task's reason in
// English, and the page matches it against them. The page sets
// document.documentElement.lang from "lang".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cw {

using TextTranslator = std::function<std::wstring(const std::wstring& english)>;

// The answer for `english_list` (anything but a JSON array of strings counts
// as an empty list; other elements are skipped) and `reasons`, every text
// passed through `translate`, with `language` as "lang". Pure apart from
// `translate`.
std::wstring PageTextsJson(std::wstring_view english_list, const std::vector<const wchar_t*>& reasons,
                           const TextTranslator& translate, const std::wstring& language);

// PageTextsJson with the engine's reasons, the program's catalogues (Tr) and
// TextLanguage().
std::wstring PageTextsForUser(std::wstring_view english_list);

}  // namespace cw
