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

TEST(ConfigFileForms, BytesAboveAsciiInAPlainFileAreLatin1) {
  // A file without the mark is never read as UTF-8: "\xC3\xA9" stays two characters.
  ConfigFileText read = DecodeConfigFile("{\"a\": \"\xC3\xA9\"}");
  EXPECT_EQ(read.text, L"{\"a\": \"\u00C3\u00A9\"}");
}

}  // namespace
}  // namespace cw
