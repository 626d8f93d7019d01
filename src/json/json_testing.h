// Test helper: a one-line description of a JSON tree, so that tests can state
// the whole expected tree of a text in one table entry.
//
//   scalar:     [name:]T"AsString()"=AsInt64()   T: Z null, S string, N number, B boolean
//   container:  [name:][child,child,...]  or  [name:]{child,...}
#pragma once

#include <string>

#include "json/json_value.h"

namespace cw::testing {

inline std::wstring DescribeJson(const JsonValue& value) {
  std::wstring out;
  if (!value.GetName().empty()) out += value.GetName() + L":";
  const std::wstring& text = value.AsString();  // read first: it converts
  const JsonType type = value.GetType();
  if (type == JsonArray || type == JsonObject) {
    out += type == JsonArray ? L'[' : L'{';
    bool first = true;
    for (const JsonValue& child : value) {
      if (!first) out += L',';
      first = false;
      out += DescribeJson(child);
    }
    out += type == JsonArray ? L']' : L'}';
    return out;
  }
  const wchar_t letters[] = L"ZSNB";
  out += letters[type];
  out += L'"' + text + L'"' + L'=' + std::to_wstring(value.AsInt64());
  return out;
}

}  // namespace cw::testing
