// The plain and escaped forms of config.ini's content.
#include "settings/config_text.h"

#include "json/json_escape.h"

#include "platform/text.h"

namespace cw {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool FitsPlainConfigForm(std::wstring_view value) {
  for (wchar_t c : value) {
    if (c < 0x20 || c > 0x7E || c == L'"') return false;
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

// The plain form's reading: `text` as it is, `json` with backslashes doubled.
ConfigFileText PlainFormText(std::wstring text) {
  ConfigFileText result;
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
