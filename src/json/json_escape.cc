// Escaping text for JSON strings.
#include "json/json_escape.h"

#include "platform/text.h"

namespace cw {
namespace {

void AppendUnicodeEscape(std::wstring* out, unsigned unit) {
  static const wchar_t kHex[] = L"0123456789abcdef";
  *out += L"\\u";
  for (int shift = 12; shift >= 0; shift -= 4) *out += kHex[(unit >> shift) & 0xF];
}

bool IsSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

void AppendJsonEscaped(std::wstring* out, std::wstring_view text, LoneSurrogates surrogates) {
  out->reserve(out->size() + text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (SurrogatePairAt(text, i)) {  // one character in UTF-16
      *out += c;
      *out += text[++i];
    } else if (c == L'"' || c == L'\\') {
      *out += L'\\';
      *out += c;
    } else if (c < 0x20 || c == 0x7F) {
      AppendUnicodeEscape(out, static_cast<unsigned>(c));
    } else if (IsSurrogate(c)) {
      if (surrogates == LoneSurrogates::kEscape) {
        AppendUnicodeEscape(out, static_cast<unsigned>(c));
      } else {
        *out += L'\uFFFD';
      }
    } else {
      *out += c;
    }
  }
}

}  // namespace cw
