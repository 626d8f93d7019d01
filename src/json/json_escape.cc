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

// Copied as it is, whatever the mode.
bool IsPlain(wchar_t c) { return c >= 0x20 && c != L'"' && c != L'\\' && c != 0x7F && !IsSurrogate(c); }

}  // namespace

void AppendJsonEscaped(std::wstring* out, std::wstring_view text, LoneSurrogates surrogates) {
  for (size_t i = 0; i < text.size(); ++i) {
    size_t plain = i;
    while (plain < text.size() && IsPlain(text[plain])) ++plain;
    if (plain != i) {  // the common case: a run that needs nothing, appended at once
      out->append(text.substr(i, plain - i));
      i = plain;
      if (i == text.size()) break;
    }
    wchar_t c = text[i];
    if (SurrogatePairAt(text, i)) {  // one character in UTF-16
      *out += c;
      *out += text[++i];
    } else if (c == L'"' || c == L'\\') {
      *out += L'\\';
      *out += c;
    } else if (c < 0x20 || c == 0x7F) {
      AppendUnicodeEscape(out, static_cast<unsigned>(c));
    } else if (surrogates == LoneSurrogates::kEscape) {  // a lone surrogate
      AppendUnicodeEscape(out, static_cast<unsigned>(c));
    } else {
      *out += L'\uFFFD';
    }
  }
}

}  // namespace cw
