// The page's texts, translated by the host's catalogues.
#include "bridge/page_texts.h"

#include <set>
#include <stdexcept>

#include "json/json_escape.h"
#include "json/json_value.h"
#include "platform/translate.h"

namespace cw {

namespace {

std::wstring Quoted(std::wstring_view text) {
  std::wstring out = L"\"";
  AppendJsonEscaped(&out, text);
  return out + L"\"";
}

}  // namespace

std::wstring PageTextsJson(std::wstring_view english_list, const TextTranslator& translate,
                           const std::wstring& language) {
  std::wstring out = L"{\"lang\": " + Quoted(language) + L", \"texts\": {";
  JsonValue list;
  try {
    list = JsonValue::Parse(english_list);
  } catch (const std::invalid_argument&) {
    return out + L"}}";
  }
  if (list.GetType() != JsonType::JsonArray) return out + L"}}";
  std::set<std::wstring> done;
  bool first = true;
  for (const JsonValue& item : list) {
    if (item.GetType() != JsonType::JsonString) continue;
    const std::wstring& english = item.AsString();
    if (!done.insert(english).second) continue;
    if (!first) out += L", ";
    first = false;
    out += Quoted(english) + L": " + Quoted(translate(english));
  }
  return out + L"}}";
}

std::wstring PageTextsForUser(std::wstring_view english_list) {
  return PageTextsJson(english_list, [](const std::wstring& english) { return Tr(english.c_str()); },
                       TextLanguage());
}

}  // namespace cw
