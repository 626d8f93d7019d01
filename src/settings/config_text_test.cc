// Tests of the two forms of config.ini's content.
#include "settings/config_text.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(FitsPlainConfigForm, OnlyValuesThePlainFormReadsBack) {
  const struct {
    std::wstring value;
    bool fits;
  } cases[] = {
      {L"", true},
      {L"c:\\output", true},
      {L"/home/u/Videos/Clipwright", true},
      {L"a b#c/*d*/{e}[f]:g,h'", true},
      {L"say \"hi\"", false},
      {L"c:\\output\\", false},
      {L"c:\\users\\new", true},
      {L"\\\\server\\share", false},  // these would read as standard escapes
      {L"c:/a\\/b", false},
      {L"x\\u0041y", false},
      {L"\\", false},
      {L"caf\u00E9", false},
      {L"\u0412\u0438\u0434\u0435\u043E", false},
      {L"line\nbreak", false},
      {L"tab\there", false},
      {L"del\x7F", false},
  };
  for (const auto& c : cases) EXPECT_EQ(FitsPlainConfigForm(c.value), c.fits) << c.value;
}

TEST(EscapeConfigValue, EscapesQuotesBackslashesAndControls) {
  const struct {
    std::wstring value;
    std::wstring escaped;
  } cases[] = {
      {L"plain", L"plain"},
      {L"a\"b", L"a\\\"b"},
      {L"c:\\x\\", L"c:\\\\x\\\\"},
      {L"a\nb\tc\x01", L"a\\u000ab\\u0009c\\u0001"},
      {L"\x7F", L"\\u007f"},
      {L"\u4E2D\u00E9", L"\u4E2D\u00E9"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)), L"\\ud800"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeConfigValue(c.value), c.escaped) << c.value;
}

TEST(ConfigFileForms, PlainFormIsOneBytePerCharacterAndDoublesBackslashesOnRead) {
  std::wstring json = L"{\"outputDir\": \"c:\\output\\caf\u00E9\"}";
  std::string bytes = EncodePlainConfigForm(json);
  EXPECT_EQ(bytes, "{\"outputDir\": \"c:\\output\\caf\xE9\"}");
  ConfigFileText read = DecodeConfigFile(bytes);
  EXPECT_EQ(read.text, json);
  EXPECT_EQ(read.json, L"{\"outputDir\": \"c:\\\\output\\\\caf\u00E9\"}");
}

TEST(ConfigFileForms, EscapedFormIsMarkedUtf8AndReadAsItIs) {
  std::wstring json = L"{\"outputDir\": \"/v/\u0412\\\\\"}";
  std::string bytes = EncodeEscapedConfigForm(json);
  EXPECT_EQ(bytes, "\xEF\xBB\xBF{\"outputDir\": \"/v/\xD0\x92\\\\\"}");
  ConfigFileText read = DecodeConfigFile(bytes);
  EXPECT_EQ(read.text, json);
  EXPECT_EQ(read.json, json);
}

TEST(ConfigFileForms, FilesWithoutTheMarkAreUtf8OnlyWhenTheirBytesAre) {
  // What a text editor writes is UTF-8 without the mark; anything else keeps
  // the one-byte-per-character reading. Backslashes are doubled either way.
  const struct {
    const char* what;
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"utf-8, two-byte", "{\"a\": \"/Vid\xC3\xA9os\"}", L"{\"a\": \"/Vid\u00E9os\"}"},
      {"utf-8, three and four bytes", "\xE8\xA7\x86\xF0\x9F\x8E\xAC", L"\u89C6\U0001F3AC"},
      {"utf-8 with a backslash", "C:\\Vid\xC3\xA9os", L"C:\\Vid\u00E9os"},
      {"latin-1", "{\"a\": \"/Vid\xE9os\"}", L"{\"a\": \"/Vid\u00E9os\"}"},
      {"latin-1 that starts like utf-8", "\xC3\xA9\xE9", L"\u00C3\u00A9\u00E9"},
      {"truncated sequence", "ab\xC3", L"ab\u00C3"},
      {"overlong slash", "\xC0\xAF", L"\u00C0\u00AF"},
      {"overlong three-byte", "\xE0\x80\xAF", L"\u00E0\u0080\u00AF"},
      {"surrogate", "\xED\xA0\x80", L"\u00ED\u00A0\u0080"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", L"\u00F4\u0090\u0080\u0080"},
      {"ascii only", "plain", L"plain"},
  };
  for (const auto& c : cases) {
    ConfigFileText read = DecodeConfigFile(c.bytes);
    EXPECT_EQ(read.text, c.text) << c.what;
    std::wstring doubled;
    for (wchar_t ch : c.text) doubled += ch == L'\\' ? std::wstring(2, ch) : std::wstring(1, ch);
    EXPECT_EQ(read.json, doubled) << c.what;
  }
}

}  // namespace
}  // namespace cw
