// The page's texts, translated by the host's catalogues.
#include "bridge/page_texts.h"

#include <set>
#include <stdexcept>

#include "json/json_escape.h"
#include "json/json_value.h"
#include "platform/translate.h"
#include "tasks/reason_texts.h"

namespace cw {

namespace {

std::wstring Quoted(std::wstring_view text) {
  std::wstring out = L"\"";
  AppendJsonEscaped(&out, text);
  return out + L"\"";
}

// The JSON array `text` as its strings, in order; nothing for anything else.
std::vector<std::wstring> StringsOf(std::wstring_view text) {
  std::vector<std::wstring> strings;
  JsonValue list;
  try {
    list = JsonValue::Parse(text);
  } catch (const std::invalid_argument&) {
    return strings;
  }
  if (list.GetType() != JsonType::JsonArray) return strings;
  for (const JsonValue& item : list) {
    if (item.GetType() == JsonType::JsonString) strings.push_back(item.AsString());
  }
  return strings;
}

// {"english": "translated", ...} with every text once.
std::wstring TranslatedObject(const std::vector<std::wstring>& texts, const TextTranslator& translate) {
  std::wstring out = L"{";
  std::set<std::wstring> done;
  for (const std::wstring& english : texts) {
    if (!done.insert(english).second) continue;
    if (out.size() > 1) out += L", ";
    out += Quoted(english) + L": " + Quoted(translate(english));
  }
  return out + L"}";
}

}  // namespace

std::wstring PageTextsJson(std::wstring_view english_list, const std::vector<const wchar_t*>& reasons,
                           const TextTranslator& translate, const std::wstring& language) {
  std::vector<std::wstring> reason_texts(reasons.begin(), reasons.end());
  return L"{\"lang\": " + Quoted(language) + L", \"texts\": " + TranslatedObject(StringsOf(english_list), translate) +
         L", \"reasons\": " + TranslatedObject(reason_texts, translate) + L"}";
}

std::wstring PageTextsForUser(std::wstring_view english_list) {
  return PageTextsJson(english_list, ReasonTexts(), [](const std::wstring& english) { return Tr(english.c_str()); },
                       TextLanguage());
}

}  // namespace cw
