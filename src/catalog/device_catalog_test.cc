// Tests of the device model: building from every odd shape of catalog text,
// the lookups and their messages, and the shipped catalog.
#include "catalog/device_catalog.h"

#include <gtest/gtest.h>

#include "testsupport/message_recorder.h"

namespace cw {
namespace {

using Messages = std::vector<std::wstring>;

struct Built {
  DeviceCatalog catalog;
  Messages messages;
};
Built Build(const std::wstring& text) {
  Built b;
  BuildCatalog(text, &b.catalog, &b.messages);
  return b;
}

// One line per device and quality, to compare whole catalogs in one check.
std::wstring Describe(const DeviceCatalog& c) {
  std::wstring out = L"product=" + c.product_name + L"|version=" + c.version + L"\n";
  for (const auto& d : c.devices) {
    out += L"device " + d.id + L"|" + d.name + L"|" + d.desc + L"\n";
    for (const auto& f : d.formats) {
      out += L"  quality " + f.id + L"|" + f.name + L"|" + f.desc + L"|" + f.ext + L"|" + f.solution + L"|" +
             f.videoKBS + L"|" + f.audioBitrate + L"\n";
    }
  }
  return out;
}

TEST(BuildCatalog, Shapes) {
  struct Case {
    const char* what;
    std::wstring text;
    std::wstring model;
    Messages messages;
  } cases[] = {
      {"empty text", L"", L"product=|version=\n", {}},
      {"the missing-file fallback", L"{}", L"product=|version=\n", {}},
      {"nine characters are too short, even if broken", L"{\"a\":tru", L"product=|version=\n", {}},
      {"ten characters are enough", L"{\"Version\"", L"product=|version=\n", {kCatalogExceptionMessage}},
      {"not JSON", L"this is not a catalog", L"product=|version=\n", {kCatalogExceptionMessage}},
      {"a byte-order mark", L"\ufeff{\"Version\": \"1\"}", L"product=|version=\n", {kCatalogExceptionMessage}},
      {"product texts only", L"{\"ProgramName\": \"Clip\", \"Version\": \"2.0\"}", L"product=Clip|version=2.0\n",
       {}},
      {"member names match exactly", L"{\"programname\": \"x\", \"VERSION\": \"y\", \"devices\": [{\"id\": \"1\"}]}",
       L"product=|version=\n", {}},
      {"the last text wins", L"{\"Version\": \"1\", \"Version\": \"2\"}", L"product=|version=2\n", {}},
      {"scalars as text", L"{\"ProgramName\": 12.50, \"Version\": true}", L"product=12.50|version=true\n", {}},
      {"null and containers", L"{\"ProgramName\": null, \"Version\": [1]}", L"product=null|version=\n", {}},
      {"a root array has no members", L"[{\"Version\": \"1\"}, 2]", L"product=|version=\n", {}},
      {"Devices as an object adds none", L"{\"Devices\": {\"id\": \"1\", \"name\": \"x\"}}", L"product=|version=\n",
       {}},
      {"Devices as a string adds none", L"{\"Devices\": \"[{}]\"}", L"product=|version=\n", {}},
      {"one device per element, whatever it is",
       L"{\"Devices\": [\"phone\", 7, null, [\"id\", \"x\"], {}, {\"id\": \"tv\"}]}",
       L"product=|version=\ndevice ||\ndevice ||\ndevice ||\ndevice ||\ndevice ||\ndevice tv||\n", {}},
      {"device fields",
       L"{\"Devices\": [{\"id\": 4, \"name\": \"Tablet\", \"desc\": null, \"other\": \"x\", \"ID\": \"5\"}]}",
       L"product=|version=\ndevice 4|Tablet|null\n", {}},
      {"repeated Devices append",
       L"{\"Devices\": [{\"id\": \"a\"}], \"Version\": \"v\", \"Devices\": [{\"id\": \"b\"}], \"Devices\": 3}",
       L"product=|version=v\ndevice a||\ndevice b||\n", {}},
      {"quality fields",
       L"{\"Devices\": [{\"id\": \"4\", \"DeviceAry\": [{\"id\": \"Normal\", \"name\": \"N\", \"desc\": \"d\", "
       L"\"ext\": \"mp4\", \"solution\": \"1280x720\", \"videoKBS\": 768, \"audioBitrate\": \"128\", \"x\": 1}]}]}",
       L"product=|version=\ndevice 4||\n  quality Normal|N|d|mp4|1280x720|768|128\n", {}},
      {"videoKBS as a number or a string",
       L"{\"Devices\": [{\"DeviceAry\": [{\"videoKBS\": 768}, {\"videoKBS\": \"768\"}, {\"videoKBS\": 7.5e2}]}]}",
       L"product=|version=\ndevice ||\n  quality |||||768|\n  quality |||||768|\n  quality |||||7.5e2|\n", {}},
      {"DeviceAry that is no array gives no qualities",
       L"{\"Devices\": [{\"id\": \"a\", \"DeviceAry\": {\"id\": \"Low\"}}, {\"id\": \"b\", \"DeviceAry\": \"Low\"}]}",
       L"product=|version=\ndevice a||\ndevice b||\n", {}},
      {"one quality per element, whatever it is",
       L"{\"Devices\": [{\"DeviceAry\": [1, \"Low\", [\"id\"], {\"id\": \"High\"}]}]}",
       L"product=|version=\ndevice ||\n  quality ||||||\n  quality ||||||\n  quality ||||||\n"
       L"  quality High||||||\n",
       {}},
      {"repeated DeviceAry append, fields after it still apply",
       L"{\"Devices\": [{\"DeviceAry\": [{\"id\": \"Low\"}], \"id\": \"x\", \"DeviceAry\": [{\"id\": \"High\"}], "
       L"\"id\": \"y\"}]}",
       L"product=|version=\ndevice y||\n  quality Low||||||\n  quality High||||||\n", {}},
      {"escapes and non-ASCII content",
       L"{\"ProgramName\": \"Caf\u00e9 \\\"Clip\\\"\", \"Devices\": [{\"name\": \"\\u00c9cran\\tTV\"}]}",
       L"product=Caf\u00e9 \"Clip\"|version=\ndevice |\u00c9cran\tTV|\n", {}},
      {"comments before members",
       L"// the catalog\n{\n# product\n\"ProgramName\": \"c\", /* devices */ \"Devices\": [{\"id\": \"1\"}]}",
       L"product=c|version=\ndevice 1||\n", {}},
      {"malformed inner values read as null or empty",
       L"{\"Devices\": [{\"id\": \"1\", \"name\": nope, \"desc\":}, {\"id\": \"2\", \"name\": tru e, "
       L"\"desc\": 1.2.3}, {\"id\": \"3\",}]}",
       L"product=|version=\ndevice 1|null|\ndevice 2|true|null\ndevice ||\n", {}},
  };
  for (const auto& c : cases) {
    Built b = Build(c.text);
    EXPECT_EQ(Describe(b.catalog), c.model) << c.what;
    EXPECT_EQ(b.messages, c.messages) << c.what;
    EXPECT_EQ(b.catalog.text, c.text.size() >= 10 ? c.text : L"") << c.what;
  }
}

std::wstring DescribeConstraints(const FormatObject& f) {
  return f.h264Profile + L"|" + f.h264Level + L"|" + f.pixelFormat + L"|" + f.maxFrameRate + L"|" +
         f.audioChannels + L"|" + f.fit + L"|" + f.crf + L"|" + f.videoBuffer + (HasDeviceConstraints(f) ? L"|constrained" : L"|plain");
}

TEST(BuildCatalog, DeviceConstraintsAreOptionalQualityMembers) {
  struct Case {
    const char* what;
    std::wstring quality;  // one "DeviceAry" element
    std::wstring constraints;
  } cases[] = {
      {"a profile of the plain format has none",
       L"{\"id\": \"Low\", \"solution\": \"480x320\", \"videoKBS\": \"768\", \"audioBitrate\": \"128\"}",
       L"||||||||plain"},
      {"all of them",
       L"{\"h264Profile\": \"high\", \"h264Level\": \"4.1\", \"pixelFormat\": \"yuv420p\", \"maxFrameRate\": 30, "
       L"\"audioChannels\": 2, \"fit\": \"inside\", \"crf\": 21, \"videoBuffer\": \"5000\"}",
       L"high|4.1|yuv420p|30|2|inside|21|5000|constrained"},
      {"any one makes the profile constrained", L"{\"maxFrameRate\": \"25\"}", L"|||25|||||constrained"},
      {"a quality alone too", L"{\"crf\": \"23\"}", L"||||||23||constrained"},
      {"names match exactly", L"{\"H264Profile\": \"high\", \"Fit\": \"inside\", \"CRF\": \"21\"}",
       L"||||||||plain"},
      {"the last occurrence wins", L"{\"h264Level\": \"3.0\", \"h264Level\": \"3.1\"}", L"|3.1|||||||constrained"},
  };
  for (const auto& c : cases) {
    Built b = Build(L"{\"Devices\": [{\"id\": \"d\", \"DeviceAry\": [" + c.quality + L"]}]}");
    ASSERT_EQ(b.catalog.devices.size(), 1u) << c.what;
    ASSERT_EQ(b.catalog.devices[0].formats.size(), 1u) << c.what;
    EXPECT_EQ(DescribeConstraints(b.catalog.devices[0].formats[0]), c.constraints) << c.what;
    EXPECT_TRUE(b.messages.empty()) << c.what;
  }
}

TEST(BuildCatalog, KeepsTheTextCharacterForCharacter) {
  const std::wstring text =
      L"{ \"ProgramName\" : \"Clip\" ,\r\n \"Ignored\": {\"deep\": [1, 2]},\n"
      L" \"Devices\": [ ] }\n";
  Built b = Build(text);
  EXPECT_EQ(b.catalog.text, text);
  EXPECT_EQ(b.catalog.product_name, L"Clip");
  EXPECT_TRUE(b.messages.empty());
}

const wchar_t kLookupCatalog[] =
    LR"({"Devices": [
      {"id": "tablet", "name": "First tablet", "DeviceAry": [{"id": "low", "solution": "640x360"}]},
      {"id": "TABLET", "name": "Second tablet",
       "DeviceAry": [{"id": "LOW", "solution": "1x1"}, {"id": "High", "solution": "1920x1080"}]},
      {"id": "bare"},
      {"id": "odd", "DeviceAry": "Normal"},
      {"id": "écran", "DeviceAry": [{"id": "Ü", "solution": "2x2"}]},
      "a string element"
    ]})";

TEST(FindDevice, Table) {
  Built b = Build(kLookupCatalog);
  ASSERT_TRUE(b.messages.empty());
  struct Case {
    std::wstring id;
    std::wstring name;  // empty: the device of that index in the list, see `index`
    int index;          // -1: not found
  } cases[] = {
      {L"tablet", L"First tablet", 0},
      {L"TABLET", L"First tablet", 0},  // the first of two with the same id
      {L"TaBlEt", L"First tablet", 0},
      {L"bare", L"", 2},
      {L"BARE", L"", 2},
      {L"écran", L"", 4},
      {L"ÉCRAN", L"", -1},  // only A-Z fold
      {L"", L"", 5},        // the string element's empty id
      {L"tablet ", L"", -1},
      {L"tab", L"", -1},
      {L"4", L"", -1},
  };
  for (const auto& c : cases) {
    const DeviceObject* device = FindDevice(b.catalog, c.id);
    if (c.index < 0) {
      EXPECT_EQ(device, nullptr) << c.id;
    } else {
      EXPECT_EQ(device, &b.catalog.devices[static_cast<size_t>(c.index)]) << c.id;
      EXPECT_EQ(device ? device->name : L"?", c.name) << c.id;
    }
  }
}

TEST(FindQuality, Table) {
  Built b = Build(kLookupCatalog);
  struct Case {
    std::wstring device, quality;
    std::wstring solution;  // empty: not found
  } cases[] = {
      {L"tablet", L"low", L"640x360"},
      {L"TABLET", L"LOW", L"640x360"},   // the first device's, though the second has "LOW" exactly
      {L"tablet", L"high", L"1920x1080"},  // only the second device with that id has it
      {L"Tablet", L"HIGH", L"1920x1080"},
      {L"tablet", L"Normal", L""},
      {L"bare", L"low", L""},      // no DeviceAry
      {L"odd", L"Normal", L""},    // DeviceAry that is no array
      {L"écran", L"Ü", L"2x2"},
      {L"écran", L"ü", L""},
      {L"missing", L"low", L""},
      {L"", L"", L""},  // the string element has no qualities
  };
  for (const auto& c : cases) {
    const FormatObject* quality = FindQuality(b.catalog, c.device, c.quality);
    if (c.solution.empty()) {
      EXPECT_EQ(quality, nullptr) << c.device << "/" << c.quality;
    } else {
      ASSERT_NE(quality, nullptr) << c.device << "/" << c.quality;
      EXPECT_EQ(quality->solution, c.solution) << c.device << "/" << c.quality;
    }
  }
}

TEST(Lookups, InAnEmptyCatalogFindNothingAndSayNothing) {
  DeviceCatalog empty;
  testing::MessageRecorder recorder;
  EXPECT_EQ(FindDevice(empty, L"4"), nullptr);
  EXPECT_EQ(FindQuality(empty, L"4", L"Normal"), nullptr);
  EXPECT_TRUE(recorder.texts().empty());  // the callers tell the user
}

}  // namespace
}  // namespace cw
