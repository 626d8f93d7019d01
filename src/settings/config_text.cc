// The plain and escaped forms of config.ini's content.
#include "settings/config_text.h"

#include "platform/text.h"

namespace cw {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUnicodeEscape(std::wstring* out, unsigned unit) {
  static const wchar_t kHex[] = L"0123456789abcdef";
  *out += L"\\u";
  for (int shift = 12; shift >= 0; shift -= 4) *out += kHex[(unit >> shift) & 0xF];
}

}  // namespace

bool FitsPlainConfigForm(std::wstring_view value) {
  for (wchar_t c : value) {
    if (c < 0x20 || c > 0x7E || c == L'"') return false;
  }
  return value.empty() || value.back() != L'\\';
}

std::wstring EscapeConfigValue(std::wstring_view value) {
  std::wstring out;
  out.reserve(value.size() + 8);
  for (wchar_t c : value) {
    if (c == L'"') {
      out += L"\\\"";
    } else if (c == L'\\') {
      out += L"\\\\";
    } else if (c < 0x20 || c == 0x7F || IsSurrogate(c)) {
      AppendUnicodeEscape(&out, static_cast<unsigned>(c));
    } else {
      out += c;
    }
  }
  return out;
}

std::string EncodePlainConfigForm(std::wstring_view json) {
  std::string bytes;
  bytes.reserve(json.size());
  for (wchar_t c : json) bytes += (c >= 0 && c <= 0xFF) ? static_cast<char>(c) : '?';
  return bytes;
}

std::string EncodeEscapedConfigForm(std::wstring_view json) {
  return std::string(kByteOrderMark) + WideToSystem(json);
}

ConfigFileText DecodeConfigFile(std::string_view bytes) {
  ConfigFileText result;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    result.text = SystemToWide(bytes.substr(kByteOrderMark.size()));
    result.json = result.text;
    return result;
  }
  result.text.reserve(bytes.size());
  result.json.reserve(bytes.size() + 16);
  for (char byte : bytes) {
    wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(byte));
    result.text += c;
    result.json += c;
    if (c == L'\\') result.json += c;
  }
  return result;
}

}  // namespace cw
