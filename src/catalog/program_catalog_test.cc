// Tests of reading the program folder's catalog and of the shipped data.dat.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "catalog/catalog_cipher.h"
#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using Messages = std::vector<std::wstring>;

TEST(ReadCatalog, ReadsTheProgramFoldersFileWithItsMessages) {
  const std::wstring saved = ProgramFolder();
  testing::TempDir dir;
  SetProgramFolderForTesting(dir.wpath());
  struct Case {
    const char* what;
    const char* data_dat;  // null: no file
    size_t devices;
    Messages shown;
  } cases[] = {
      {"no file", nullptr, 0, {kCatalogMissingMessage}},
      {"a catalog", "{\"Devices\": [{\"id\": \"1\"}, {\"id\": \"2\"}]}", 2, {}},
      {"no JSON", "Devices: 1, 2, 3", 0, {kCatalogExceptionMessage}},
      {"empty file", "", 0, {kCatalogDamagedMessage}},
  };
  for (const auto& c : cases) {
    std::error_code ignored;
    std::filesystem::remove(dir.File("data.dat"), ignored);
    if (c.data_dat) dir.Write("data.dat", *c.data_dat ? BytesToHex(EncryptCatalogBytes(c.data_dat)) : "");
    DeviceCatalog catalog;
    Messages messages;
    ReadCatalog(CatalogFilePath(), &catalog, &messages);
    EXPECT_EQ(catalog.devices.size(), c.devices) << c.what;
    EXPECT_EQ(messages, c.shown) << c.what;
  }
  SetProgramFolderForTesting(saved);
}

// The data.dat the build generates from catalog/catalog.json.
std::string SourceCatalog() {
  std::ifstream in(std::string(CW_SOURCE_DIR) + "/catalog/catalog.json", std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool IsPositiveNumber(const std::wstring& text, int low, int high) {
  const std::string s = WideToSystem(text);
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && value >= low && value <= high;
}

bool IsFrameSize(const std::wstring& text) {
  const size_t x = text.find(L'x');
  if (x == std::wstring::npos) return false;
  const std::wstring w = text.substr(0, x), h = text.substr(x + 1);
  // Encoders want even sizes.
  return IsPositiveNumber(w, 160, 7680) && IsPositiveNumber(h, 90, 4320) && std::stoi(w) % 2 == 0 &&
         std::stoi(h) % 2 == 0;
}

// The limits of the H.264 levels (ITU-T H.264, table A-1): macroblocks per
// second, per frame, the highest video bit rate in kbit/s and the largest
// decoder buffer in kbit of the baseline and main profiles (the high profile
// allows 1.25 times as much of both).
struct LevelLimits {
  const wchar_t* level;
  long mb_per_second, mb_per_frame, kbit_per_second, buffer_kbit;
};
constexpr LevelLimits kLevels[] = {
    {L"3.0", 40500, 1620, 10000, 10000},     {L"3.1", 108000, 3600, 14000, 14000},
    {L"3.2", 216000, 5120, 20000, 20000},    {L"4.0", 245760, 8192, 20000, 25000},
    {L"4.1", 245760, 8192, 50000, 62500},    {L"4.2", 522240, 8704, 50000, 62500},
    {L"5.0", 589824, 22080, 135000, 135000}, {L"5.1", 983040, 36864, 240000, 240000},
    {L"5.2", 2073600, 36864, 240000, 240000},
};

// Why the profile's constraints do not describe a stream a decoder of that
// profile and level plays, or "" when they do. Every output fits inside the
// profile's frame, so the frame bounds its macroblocks.
std::string ConstraintProblem(const FormatObject& f) {
  if (f.h264Profile != L"baseline" && f.h264Profile != L"main" && f.h264Profile != L"high") return "profile";
  if (f.pixelFormat != L"yuv420p") return "pixel format";
  if (f.fit != L"inside") return "fit";
  if (f.audioChannels != L"2" && f.audioChannels != L"6") return "audio channels";
  if (!IsPositiveNumber(f.maxFrameRate, 1, 120)) return "frame rate";
  const LevelLimits* limits = nullptr;
  for (const auto& l : kLevels) {
    if (f.h264Level == l.level) limits = &l;
  }
  if (!limits) return "level";
  const size_t x = f.solution.find(L'x');
  const long mb_w = (std::stol(f.solution.substr(0, x)) + 15) / 16, mb_h = (std::stol(f.solution.substr(x + 1)) + 15) / 16;
  if (mb_w * mb_h > limits->mb_per_frame) return "frame too large for the level";
  if (mb_w * mb_h * std::stol(f.maxFrameRate) > limits->mb_per_second) return "frame rate too high for the level";
  const long scale = f.h264Profile == L"high" ? 5 : 4;
  if (std::stol(f.videoKBS) > limits->kbit_per_second * scale / 4) return "bit rate too high for the level";
  // The rate is a ceiling over a quality; the buffer it is measured over
  // holds at least one second and fits the level's decoder buffer.
  if (!IsPositiveNumber(f.crf, 1, 51)) return "quality";
  if (!IsPositiveNumber(f.videoBuffer, 1, 1000000) || std::stol(f.videoBuffer) < std::stol(f.videoKBS) ||
      std::stol(f.videoBuffer) > limits->buffer_kbit * scale / 4) {
    return "buffer";
  }
  return "";
}

TEST(ShippedCatalog, EveryProfileCarriesConstraintsThatItsLevelAllows) {
  Messages messages;
  DeviceCatalog catalog;
  ReadCatalog(SystemToWide(std::string(CW_BUILD_DIR) + "/data.dat"), &catalog, &messages);
  ASSERT_FALSE(catalog.devices.empty());
  for (const DeviceObject& d : catalog.devices) {
    for (const FormatObject& f : d.formats) {
      ASSERT_TRUE(IsFrameSize(f.solution));
      EXPECT_EQ(ConstraintProblem(f), "") << WideToSystem(d.id + L"/" + f.id);
    }
  }
  // The checks above catch what they should.
  FormatObject f = catalog.devices[0].formats[0];
  f.solution = L"1920x1080";
  f.h264Level = L"3.1";
  EXPECT_EQ(ConstraintProblem(f), "frame too large for the level");
  f.h264Level = L"4.1";
  f.maxFrameRate = L"60";
  EXPECT_EQ(ConstraintProblem(f), "frame rate too high for the level");
  f = catalog.devices[0].formats[0];
  f.videoBuffer = L"20000";
  EXPECT_EQ(ConstraintProblem(f), "buffer");
}

TEST(ShippedCatalog, DecodesToTheSourceAndListsSensibleProfiles) {
  Messages messages;
  DeviceCatalog catalog;
  ReadCatalog(SystemToWide(std::string(CW_BUILD_DIR) + "/data.dat"), &catalog, &messages);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(catalog.text, SystemToWide(SourceCatalog()));
  EXPECT_EQ(catalog.product_name, L"Clipwright");
  EXPECT_FALSE(catalog.version.empty());
  EXPECT_GE(catalog.devices.size(), 6u);
  std::set<std::wstring> ids;
  for (const DeviceObject& d : catalog.devices) {
    EXPECT_TRUE(ids.insert(d.id).second) << "duplicate device id " << WideToSystem(d.id);
    EXPECT_FALSE(d.name.empty());
    ASSERT_EQ(d.formats.size(), 3u) << WideToSystem(d.id);
    const wchar_t* const kQualities[] = {L"Low", L"Normal", L"High"};
    for (size_t i = 0; i < 3; ++i) {
      const FormatObject& f = d.formats[i];
      const std::string where = WideToSystem(d.id + L"/" + f.id);
      EXPECT_EQ(f.id, kQualities[i]) << where;
      EXPECT_EQ(f.ext, L"mp4") << where;
      EXPECT_TRUE(IsFrameSize(f.solution)) << where;
      EXPECT_TRUE(IsPositiveNumber(f.videoKBS, 100, 50000)) << where;
      EXPECT_TRUE(IsPositiveNumber(f.audioBitrate, 32, 512)) << where;
    }
    // Higher qualities never get smaller bit rates, and each is a step a
    // viewer sees: x264's rate roughly doubles for every 6 CRF steps down.
    EXPECT_LE(std::stoi(d.formats[0].videoKBS), std::stoi(d.formats[1].videoKBS));
    EXPECT_LT(std::stoi(d.formats[1].videoKBS), std::stoi(d.formats[2].videoKBS));
    EXPECT_GE(std::stoi(d.formats[0].crf) - std::stoi(d.formats[1].crf), 2) << WideToSystem(d.id);
    EXPECT_GE(std::stoi(d.formats[1].crf) - std::stoi(d.formats[2].crf), 2) << WideToSystem(d.id);
  }
  // The settings' defaults.
  const FormatObject* normal = FindQuality(catalog, L"4", L"Normal");
  ASSERT_NE(normal, nullptr);
  EXPECT_FALSE(normal->solution.empty());
}

}  // namespace
}  // namespace cw
