// The plain and escaped forms of config.ini's content.
#include "settings/config_text.h"

#include "json/json_escape.h"

#include "platform/text.h"

namespace cw {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// The length of the escape at text[i] (a backslash) that a file written by a
// standard JSON writer holds in a path or a name: \\, \/, \uXXXX of a
// printable character, or \" that does not end a value (after it come no
// ',', '}' or the end). 0 for anything else: \n, \t, \b, \f and \r would
// be control characters, so "C:\new" is a path written raw.
size_t StandardEscapeLength(std::wstring_view text, size_t i) {
  if (i + 1 >= text.size()) return 0;
  const wchar_t kind = text[i + 1];
  if (kind == L'\\' || kind == L'/') return 2;
  if (kind == L'"') {
    size_t next = text.find_first_not_of(L" \t", i + 2);
    return next == std::wstring_view::npos || text[next] == L',' || text[next] == L'}' ? 0 : 2;
  }
  if (kind != L'u' || text.size() - i < 6) return 0;
  long unit = 0;
  for (size_t k = i + 2; k < i + 6; ++k) {
    int digit = HexValue(text[k]);
    if (digit < 0) return 0;
    unit = unit * 16 + digit;
  }
  return unit < 0x20 || unit == 0x7F ? 0 : 6;
}

// Whether a file without the mark was written by a standard JSON writer
// rather than raw: it holds backslashes, and each one starts a standard
// escape. A path typed raw holds a backslash that does not ("C:\Users",
// "\\server\share", "C:\new"), and the plain form never writes a value
// that would; a file without backslashes reads the same either way.
bool ReadsAsStandardJson(std::wstring_view text) {
  bool escaped = false;
  for (size_t i = text.find(L'\\'); i != std::wstring_view::npos; i = text.find(L'\\', i)) {
    size_t length = StandardEscapeLength(text, i);
    if (length == 0) return false;
    escaped = true;
    i += length;
  }
  return escaped;
}

}  // namespace

bool FitsPlainConfigForm(std::wstring_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    wchar_t c = value[i];
    if (c < 0x20 || c > 0x7E || c == L'"') return false;
    if (c == L'\\' && StandardEscapeLength(value, i) != 0) return false;  // would read as an escape
  }
  return value.empty() || value.back() != L'\\';
}

std::wstring EscapeConfigValue(std::wstring_view value) {
  std::wstring out;
  AppendJsonEscaped(&out, value, LoneSurrogates::kEscape);
  return out;
}

std::string EncodePlainConfigForm(std::wstring_view json) {
  std::string bytes;
  bytes.reserve(json.size());
  for (wchar_t c : json) bytes += static_cast<unsigned long>(c) <= 0xFF ? static_cast<char>(c) : '?';
  return bytes;
}

std::string EncodeEscapedConfigForm(std::wstring_view json) {
  return std::string(kByteOrderMark) + WideToSystem(json);
}

namespace {

// The length of the valid UTF-8 sequence starting at bytes[i], or 0.
size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
  unsigned lead = static_cast<unsigned char>(bytes[i]);
  size_t length;
  unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    unsigned b = static_cast<unsigned char>(bytes[i + k]);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

// The reading of a file without the mark: `text` as it is; `json` the same
// when a standard JSON writer wrote it, else with backslashes doubled.
ConfigFileText PlainFormText(std::wstring text) {
  ConfigFileText result;
  if (ReadsAsStandardJson(text)) {
    result.json = text;
    result.text = std::move(text);
    return result;
  }
  result.json.reserve(text.size() + 16);
  for (wchar_t c : text) {
    result.json += c;
    if (c == L'\\') result.json += c;
  }
  result.text = std::move(text);
  return result;
}

}  // namespace

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multi_byte = false;
  for (size_t i = 0; i < bytes.size();) {
    size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) return false;
    multi_byte = multi_byte || length > 1;
    i += length;
  }
  return multi_byte;
}

ConfigFileText DecodeConfigFile(std::string_view bytes) {
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    ConfigFileText result;
    result.text = SystemToWide(bytes.substr(kByteOrderMark.size()));
    result.json = result.text;
    return result;
  }
  if (IsMultiByteUtf8(bytes)) return PlainFormText(SystemToWide(bytes));
  std::wstring text;
  text.reserve(bytes.size());
  for (char byte : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
  return PlainFormText(std::move(text));
}

}  // namespace cw
