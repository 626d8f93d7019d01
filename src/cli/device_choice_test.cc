// Device and quality ids checked against a catalog; the --list-devices text.
#include "cli/device_choice.h"

#include <gtest/gtest.h>

namespace cw::cli {
namespace {

DeviceCatalog TestCatalog() {
  DeviceCatalog catalog;
  std::vector<std::wstring> messages;
  BuildCatalog(LR"({"ProgramName": "P", "Version": "1", "Devices": [
      {"id": "tv", "name": "Television", "desc": "Big screens", "DeviceAry": [
        {"id": "Low", "name": "Low", "solution": "640x360", "videoKBS": "800", "audioBitrate": "96"},
        {"id": "High", "name": "Crisp", "solution": "1920x1080", "videoKBS": "5000", "audioBitrate": "192",
         "crf": "18"}]},
      {"id": "phone", "name": "Phone", "DeviceAry": [
        {"id": "Normal", "name": "Normal", "solution": "480x270", "videoKBS": "500", "audioBitrate": "64"}]},
      {"id": "TV", "name": "Second television entry", "DeviceAry": [
        {"id": "Extra", "name": "Extra", "solution": "320x180", "videoKBS": "300", "audioBitrate": "64"}]}]})",
               &catalog, &messages);
  EXPECT_TRUE(messages.empty());
  return catalog;
}

TEST(DeviceChoiceTest, CheckProfile) {
  DeviceCatalog catalog = TestCatalog();
  struct Case {
    ProfileIds ids;
    std::wstring expected_part;  // empty: accepted
  };
  const Case cases[] = {
      {{L"tv", L"High"}, L""},
      {{L"TV", L"low"}, L""},         // ids ignore the case of A-Z, as the catalog lookups do
      {{L"tv", L"Extra"}, L""},       // a later device with the same id supplies the quality
      {{L"phone", L"Normal"}, L""},
      {{L"radio", L"Low"}, L"unknown device 'radio' (from --device); valid devices: tv, phone, TV"},
      {{L"", L"Low"}, L"unknown device ''"},
      {{L"phone", L"High"}, L"unknown quality 'High' (from config.ini) for device 'phone'; valid qualities: Normal"},
      {{L"tv", L"Ultra"}, L"valid qualities: Low, High, Extra"},
  };
  for (const auto& c : cases) {
    std::wstring problem = CheckProfile(catalog, c.ids, L"--device", L"config.ini");
    if (c.expected_part.empty()) {
      EXPECT_EQ(problem, L"") << c.ids.targetDevice << "/" << c.ids.outputQuality;
    } else {
      EXPECT_NE(problem.find(c.expected_part), std::wstring::npos) << problem;
    }
  }
  EXPECT_NE(CheckProfile(DeviceCatalog{}, {L"1", L"Low"}, L"d", L"q").find(L"valid devices: (none)"),
            std::wstring::npos);
}

TEST(DeviceChoiceTest, ListMarksTheCurrentProfileOnce) {
  std::wstring text = DeviceListText(TestCatalog(), {L"TV", L"high"});
  EXPECT_EQ(text,
            L"* tv     Television  (Big screens)\n"
            L"      Low     640x360    video 800 kbit/s, audio 96 kbit/s\n"
            L"    * High    1920x1080  video up to 5000 kbit/s, audio 192 kbit/s  Crisp\n"
            L"  phone  Phone\n"
            L"      Normal  480x270    video 500 kbit/s, audio 64 kbit/s\n"
            L"  TV     Second television entry\n"
            L"      Extra   320x180    video 300 kbit/s, audio 64 kbit/s\n");
  EXPECT_EQ(DeviceListText(DeviceCatalog{}, {}), L"(the catalog lists no device)\n");
}

// A catalog's text never reaches the terminal as its escape sequences.
TEST(DeviceChoiceTest, ListShowsControlCharactersOfTheCatalogAsText) {
  DeviceCatalog catalog;
  std::vector<std::wstring> messages;
  BuildCatalog(LR"({"ProgramName": "P", "Version": "1", "Devices": [
      {"id": "t\u001bv", "name": "\u001b[2JTV", "desc": "a\u009bb", "DeviceAry": [
        {"id": "Low", "name": "\u001b]0;x\u0007", "solution": "640x360", "videoKBS": "8\r0", "audioBitrate": "96"}]}]})",
               &catalog, &messages);
  ASSERT_TRUE(messages.empty());
  EXPECT_EQ(DeviceListText(catalog, {}),
            L"  t?v  ?[2JTV  (a?b)\n"
            L"      Low  640x360  video 8?0 kbit/s, audio 96 kbit/s  ?]0;x?\n");
}

}  // namespace
}  // namespace cw::cli
