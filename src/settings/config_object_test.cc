// Tests of the settings object: defaults, loading old and new files, saving,
// round trips, bad files and bad JSON texts.
#include "settings/config_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/message_recorder.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using testing::MessageRecorder;
using testing::TempDir;

const std::wstring kDefaultDir = L"/home/u/Videos/Clipwright";
const std::wstring kException = L"Exception catch!";

// The catalog name of the default device "4", as the shipped catalog has it.
std::wstring DefaultDeviceName() {
  const DeviceObject* device = FindDevice(GetDeviceCatalog(), L"4");
  return device ? device->name : L"(missing)";
}

struct Values {
  std::wstring targetDevice, outputQuality, outputDir;
  int32_t conTasks, needShutdown;
};

void ExpectValues(const ConfigObject& c, const Values& v, const std::string& where) {
  EXPECT_EQ(c.targetDevice, v.targetDevice) << where;
  EXPECT_EQ(c.outputQuality, v.outputQuality) << where;
  EXPECT_EQ(c.outputDir, v.outputDir) << where;
  EXPECT_EQ(c.conTasks, v.conTasks) << where;
  EXPECT_EQ(c.needShutdown, v.needShutdown) << where;
}

const Values kDefaults{L"4", L"Normal", kDefaultDir, 1, 0};

class ConfigObjectTest : public ::testing::Test {
 protected:
  std::wstring FilePath() const { return dir_.wpath() + L"config.ini"; }
  std::unique_ptr<ConfigObject> Loaded() {
    auto config = std::make_unique<ConfigObject>(FilePath(), kDefaultDir);
    config->Load();
    return config;
  }
  TempDir dir_;
  MessageRecorder messages_;
};

TEST_F(ConfigObjectTest, NoFileGivesTheDefaultsAndTheirJson) {
  auto config = Loaded();
  ExpectValues(*config, kDefaults, "no file");
  EXPECT_EQ(config->ToJson(), L"{\"targetDevice\": \"4\",\"targetDeviceDesc\": \"" + DefaultDeviceName() +
                                  L"\",\"outputQuality\": \"Normal\",\"outputDir\": \"" + kDefaultDir +
                                  L"\",\"conTasks\": 1,\"needShutdown\": 0}");
  EXPECT_TRUE(messages_.texts().empty());
  EXPECT_FALSE(FileExists(FilePath()));  // loading never writes
}

TEST_F(ConfigObjectTest, FilesInTheExistingFormatLoadAsBefore) {
  const struct {
    std::string content;
    Values expected;
  } cases[] = {
      {"{\"targetDevice\": \"4\",\"targetDeviceDesc\": \"Media Player\",\"outputQuality\": \"Normal\","
       "\"outputDir\": \"c:\\output\",\"conTasks\": 1,\"needShutdown\": 0}",
       {L"4", L"Normal", L"c:\\output", 1, 0}},
      // Raw single backslashes, as this program always wrote them.
      {"{\"targetDevice\": \"2\",\"outputQuality\": \"High\",\"outputDir\": \"D:\\Videos\\Out\",\"conTasks\": 3,"
       "\"needShutdown\": 1}",
       {L"2", L"High", L"D:\\Videos\\Out", 3, 1}},
      // Strict JSON from another tool: every backslash is doubled once more on load.
      {"{\"outputDir\": \"D:\\\\Videos\"}", {L"4", L"Normal", L"D:\\\\Videos", 1, 0}},
      // One byte per character: 0xE9 is e-acute.
      {"{\"outputDir\": \"/m\xE9" "dia\"}", {L"4", L"Normal", L"/m\u00E9dia", 1, 0}},
      // Lines are joined without their line ends.
      {"{\"conTasks\": 2,\r\n\"needShutdown\": 1}\n", {L"4", L"Normal", kDefaultDir, 2, 1}},
      // Only some keys: the others keep their defaults on the first load.
      {"{\"conTasks\": 3}", {L"4", L"Normal", kDefaultDir, 3, 0}},
      {"{\"needShutdown\": 2, \"unknown\": \"x\", \"targetDeviceDesc\": \"ignored\"}",
       {L"4", L"Normal", kDefaultDir, 1, 2}},
      {"{\"conTasks\": 0}", {L"4", L"Normal", kDefaultDir, 0, 0}},
      {"{\"conTasks\": -4}", {L"4", L"Normal", kDefaultDir, -4, 0}},
  };
  for (const auto& c : cases) {
    dir_.Write("config.ini", c.content);
    auto config = Loaded();
    ExpectValues(*config, c.expected, c.content);
  }
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(ConfigObjectTest, ShortAndOddFilesGiveDefaultsQuietly) {
  for (std::string content : {"", "{}", "[]", "  ", "[1]", "{\"a\":1,}", "\xEF\xBB\xBF", "\xEF\xBB\xBF{}"}) {
    dir_.Write("config.ini", content);
    auto config = Loaded();
    ExpectValues(*config, kDefaults, content);
  }
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(ConfigObjectTest, BadFilesShowTheExceptionMessageAndKeepDefaults) {
  std::string huge = "{\"outputDir\": \"" + std::string(3 << 20, 'x') + "\"}";
  const std::string cases[] = {
      "{\"a\"",
      "not json at all",
      "\"abc\"",
      std::string("\x00\xFF\xFE\x01garbage\x80", 12),
      "{\"outputDir\": \"a\"} /* trailing */",
      "\xEF\xBB\xBF{\"outputDir\": \"x\"",
      huge,
  };
  for (const auto& content : cases) {
    messages_.Clear();
    dir_.Write("config.ini", content);
    auto config = Loaded();
    ExpectValues(*config, kDefaults, content.substr(0, 40));
    EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{kException}) << content.substr(0, 40);
  }
}

TEST_F(ConfigObjectTest, UnreadableFileShowsTheExceptionMessage) {
  ASSERT_TRUE(CreateDirectory(FilePath()));  // a folder where the file should be
  auto config = Loaded();
  ExpectValues(*config, kDefaults, "folder");
  EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{kException});
}

TEST_F(ConfigObjectTest, LaterLoadsKeepWhatTheFileDoesNotName) {
  auto config = Loaded();
  config->targetDevice = L"7";
  config->outputDir = L"/elsewhere";
  config->conTasks = 5;
  dir_.Write("config.ini", "{\"needShutdown\": 1}");
  config->Load();
  ExpectValues(*config, {L"7", L"Normal", L"/elsewhere", 5, 1}, "second load");
  dir_.Write("config.ini", "{\"conTasks\": ");
  config->Load();
  ExpectValues(*config, {L"7", L"Normal", L"/elsewhere", 5, 1}, "failed second load");
}

TEST_F(ConfigObjectTest, SaveWritesThePlainFormWithSingleBackslashes) {
  auto config = Loaded();
  config->outputDir = L"D:\\Videos\\Out";
  config->conTasks = 2;
  config->Save();
  EXPECT_EQ(dir_.Read("config.ini"), "{\"targetDevice\": \"4\",\"targetDeviceDesc\": \"" +
                                         WideToSystem(DefaultDeviceName()) +
                                         "\",\"outputQuality\": \"Normal\",\"outputDir\": \"D:\\Videos\\Out\","
                                         "\"conTasks\": 2,\"needShutdown\": 0}");
  auto again = Loaded();
  EXPECT_EQ(again->outputDir, L"D:\\Videos\\Out");
  EXPECT_EQ(again->conTasks, 2);
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(ConfigObjectTest, WhateverSaveWritesLoadReadsBack) {
  const std::wstring samples[] = {
      L"D:\\Videos\\Out",
      L"C:\\Users\\me\\",
      L"\\",
      L"\\\\server\\share\\\\",
      L"say \"cheese\"",
      L"\"",
      L"\\\"",
      L"x\\u0041y",
      L"/home/u/\u0412\u0438\u0434\u0435\u043E",
      L"/home/u/\u89C6\u9891/\u8F93\u51FA",
      L"/home/u/caf\u00E9",
      std::wstring(L"/emoji/") + static_cast<wchar_t>(0x1F3AC),
      L"line\nbreak\r\ttab",
      L"{\"outputDir\": \"injected\"}",
      L"a,b:c}d]e",
      L"/* not a comment */ # nor this",
      SystemToWide("/home/u/a\xFF\xFE"),  // bytes that are not UTF-8, as escaped bytes
      L"",
  };
  for (const auto& value : samples) {
    auto config = Loaded();
    config->outputDir = value;
    config->outputQuality = value + L"q";
    config->targetDevice = value;
    config->conTasks = -3;
    config->needShutdown = 2;
    config->Save();
    MessageRecorder quiet;  // the unknown device's message is not what this test is about
    auto loaded = Loaded();
    ExpectValues(*loaded, {value, value + L"q", value, -3, 2}, WideToSystem(value));
    std::vector<std::wstring> shown = quiet.texts();
    EXPECT_TRUE(std::find(shown.begin(), shown.end(), kException) == shown.end()) << WideToSystem(value);
  }
}

TEST_F(ConfigObjectTest, SaveCreatesAMissingFolderAndReportsFailure) {
  std::wstring nested = dir_.wpath() + L"cfg/clipwright/config.ini";
  ConfigObject config(nested, kDefaultDir);
  config.Load();
  config.Save();
  EXPECT_TRUE(FileExists(nested));
  EXPECT_TRUE(messages_.texts().empty());

  ASSERT_TRUE(CreateDirectory(FilePath()));  // a folder where the file should go
  ConfigObject blocked(FilePath(), kDefaultDir);
  blocked.ApplyDefaults();
  blocked.Save();
  EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{L"Failed to save settings!"});
}

TEST_F(ConfigObjectTest, UnknownDeviceRendersAnEmptyDescriptionWithTheMessage) {
  auto config = Loaded();
  config->targetDevice = L"no-such-device";
  std::wstring json = config->ToJson();
  EXPECT_NE(json.find(L"\"targetDevice\": \"no-such-device\",\"targetDeviceDesc\": \"\","), std::wstring::npos)
      << json;
  EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{L"can't find device!"});
}

TEST_F(ConfigObjectTest, FromJsonAssignsTheFiveKeys) {
  const struct {
    std::wstring text;
    Values expected;
  } cases[] = {
      {L"{\"conTasks\": \"3\"}", {L"4", L"Normal", kDefaultDir, 3, 0}},
      {L"{\"conTasks\": 3.9}", {L"4", L"Normal", kDefaultDir, 3, 0}},
      {L"{\"needShutdown\": true}", {L"4", L"Normal", kDefaultDir, 1, 1}},
      {L"{\"conTasks\": 4294967298}", {L"4", L"Normal", kDefaultDir, 2, 0}},
      {L"{\"conTasks\": 1, \"conTasks\": 6}", {L"4", L"Normal", kDefaultDir, 6, 0}},
      {L"{\"targetDevice\": 7, \"outputQuality\": \"Low\"}", {L"7", L"Low", kDefaultDir, 1, 0}},
      {L"{\"TargetDevice\": \"9\", \"targetDeviceDesc\": \"x\"}", kDefaults},
      {L"{\"outputDir\": \"/a\\\"b\\\\c\"}", {L"4", L"Normal", L"/a\"b\\c", 1, 0}},
      {L"[\"targetDevice\", 5]", kDefaults},
      {L"", kDefaults},
      {L"{\"outputDir\": \"/z\",\"conTasks\": 2,}", kDefaults},  // a trailing comma voids the object
  };
  for (const auto& c : cases) {
    auto config = Loaded();
    config->FromJson(c.text);
    ExpectValues(*config, c.expected, WideToSystem(c.text));
  }
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(ConfigObjectTest, FromJsonOfANonJsonTextShowsTheMessageAndKeepsValues) {
  auto config = Loaded();
  config->conTasks = 4;
  for (const wchar_t* text : {L"nonsense", L"42", L"\"s\"", L"{\"conTasks\": 1", L"\uFEFF{\"conTasks\": 1}"}) {
    messages_.Clear();
    config->FromJson(text);
    EXPECT_EQ(config->conTasks, 4) << WideToSystem(text);
    EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{kException}) << WideToSystem(text);
  }
}

TEST_F(ConfigObjectTest, AFolderWhoseNameIsNotUtf8SurvivesThePage) {
  // The page is given the settings with U+FFFD for the folder's bytes FF FE
  // and sends that text back when the user changes something else.
  auto config = Loaded();
  const std::wstring folder = SystemToWide("/home/u/a\xFF\xFE");
  config->outputDir = folder;
  std::wstring shown = DisplayText(config->ToJson());
  ASSERT_NE(shown.find(L"/home/u/a\uFFFD\uFFFD"), std::wstring::npos);
  config->FromJson(shown);
  EXPECT_EQ(WideToSystem(config->outputDir), "/home/u/a\xFF\xFE");
  config->FromJson(L"{\"outputDir\": \"/home/u/b\"}");  // a folder the user chose instead
  EXPECT_EQ(config->outputDir, L"/home/u/b");
}

TEST_F(ConfigObjectTest, WorkerReadsOfTheProfileAreConsistentWithChanges) {
  auto config = Loaded();
  std::atomic<bool> stop{false};
  std::atomic<int> odd{0};
  std::thread worker([&] {
    while (!stop) {
      ProfileIds ids = config->CurrentProfile();
      if (ids.targetDevice != L"4" && ids.targetDevice != L"2") ++odd;
      if (ids.outputQuality != L"Normal" && ids.outputQuality != L"High") ++odd;
    }
  });
  for (int i = 0; i < 2000; ++i) {
    config->FromJson(i % 2 ? L"{\"targetDevice\": \"2\", \"outputQuality\": \"High\"}"
                           : L"{\"targetDevice\": \"4\", \"outputQuality\": \"Normal\"}");
  }
  stop = true;
  worker.join();
  EXPECT_EQ(odd.load(), 0);
}

}  // namespace
}  // namespace cw
