// Tests of the settings object: defaults, loading old and new files, saving,
// round trips, bad files and bad JSON texts.
#include "settings/config_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <filesystem>
#include <thread>

#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/build_catalog.h"
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
  const DeviceObject* device = FindDevice(testing::BuildCatalog(), L"4");
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
    auto config = std::make_unique<ConfigObject>(FilePath(), kDefaultDir, testing::BuildCatalog(), messages_.sink());
    config->Load();
    return config;
  }
  // Names of the files set aside in the test's folder.
  std::vector<std::string> SetAsideFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      std::string name = entry.path().filename().string();
      if (name.rfind("config.ini.broken-", 0) == 0) names.push_back(name);
    }
    return names;
  }
  void RemoveSetAsideFiles() const {
    for (const std::string& name : SetAsideFiles()) std::filesystem::remove_all(dir_.File(name));
  }
  // Exactly one file was set aside, as `name` when given, holding `content`.
  void ExpectOnlyFileAside(const std::string& content, const std::string& name = "") const {
    std::vector<std::string> aside = SetAsideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].size(), std::string("config.ini.broken-YYYYMMDD-HHMMSS").size()) << aside[0];
    if (!name.empty()) {
      EXPECT_EQ(aside[0], name);
    }
    EXPECT_TRUE(dir_.Read(aside[0]) == content) << "the set-aside file changed";
  }
  // After a load that did not go cleanly: the load changed no file and said
  // in one message where the file will be kept; the next save keeps it there
  // unchanged and writes a fresh config.ini. `broken`: the file did not load
  // at all, so the message starts with "Exception catch!"; else it only held
  // refused values.
  void ExpectKeptByTheNextSave(ConfigObject& config, const std::string& content, bool broken = true) const {
    EXPECT_TRUE(dir_.Read("config.ini") == content) << "the load changed the file";
    EXPECT_TRUE(SetAsideFiles().empty());
    std::vector<std::wstring> shown = messages_.texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, 17) == L"Exception catch!\n", broken) << WideToSystem(shown[0]);
    const std::wstring announced = L"the file is kept as " + FilePath() + L".broken-";
    size_t at = shown[0].find(announced);
    ASSERT_NE(at, std::wstring::npos) << WideToSystem(shown[0]);
    std::string name = "config.ini.broken-" + WideToSystem(shown[0].substr(at + announced.size(), 15));
    config.Save();
    ExpectOnlyFileAside(content, name);
    EXPECT_TRUE(FileExists(FilePath()));
    EXPECT_FALSE(dir_.Read("config.ini") == content);
    config.Save();  // later saves leave the kept file alone
    ExpectOnlyFileAside(content, name);
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
  // Output folders lie in the test's folder: only usable folders are taken.
  const std::string p = dir_.path();
  const std::wstring wp = SystemToWide(p);
  const struct {
    std::string content;
    Values expected;
  } cases[] = {
      {"{\"targetDevice\": \"4\",\"targetDeviceDesc\": \"Media Player\",\"outputQuality\": \"Normal\","
       "\"outputDir\": \"" + p + "/c:\\output\",\"conTasks\": 1,\"needShutdown\": 0}",
       {L"4", L"Normal", wp + L"/c:\\output", 1, 0}},
      // Raw single backslashes, as this program always wrote them.
      {"{\"targetDevice\": \"2\",\"outputQuality\": \"High\",\"outputDir\": \"" + p +
           "/D:\\Videos\\Out\",\"conTasks\": 3,\"needShutdown\": 1}",
       {L"2", L"High", wp + L"/D:\\Videos\\Out", 3, 1}},
      // Not UTF-8: one byte per character, 0xE9 is e-acute.
      {"{\"outputDir\": \"" + p + "/m\xE9" "dia\"}", {L"4", L"Normal", wp + L"/m\u00E9dia", 1, 0}},
      // Lines are joined without their line ends.
      {"{\"conTasks\": 2,\r\n\"needShutdown\": 1}\n", {L"4", L"Normal", kDefaultDir, 2, 1}},
      // Only some keys: the others keep their defaults on the first load.
      {"{\"conTasks\": 3}", {L"4", L"Normal", kDefaultDir, 3, 0}},
      {"{\"conTasks\": 16}", {L"4", L"Normal", kDefaultDir, 16, 0}},
      {"{\"needShutdown\": 1, \"unknown\": \"x\", \"targetDeviceDesc\": \"ignored\"}",
       {L"4", L"Normal", kDefaultDir, 1, 1}},
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

TEST_F(ConfigObjectTest, BadFilesAreSetAsideWithTheExceptionMessageAndKeepDefaults) {
  std::string huge = "{\"outputDir\": \"" + std::string(3 << 20, 'x') + "\"}";
  const std::string cases[] = {
      "{\"a\"",
      "not json at all",
      "\"abc\"",
      std::string("\x00\xFF\xFE\x01garbage\x80", 12),
      "{\"outputDir\": \"a\"} /* trailing */",
      "\xEF\xBB\xBF{\"outputDir\": \"x\"",
      "{\"outputDir\": \"/caf\xC3\xA9\"",  // UTF-8 without the mark, cut short
      huge,
  };
  for (const auto& content : cases) {
    SCOPED_TRACE(content.substr(0, 40));
    messages_.Clear();
    dir_.Write("config.ini", content);
    auto config = Loaded();
    ExpectValues(*config, kDefaults, "bad file");
    ExpectKeptByTheNextSave(*config, content);
    RemoveSetAsideFiles();
  }
}

TEST_F(ConfigObjectTest, UnreadableFileIsSetAsideWithTheExceptionMessage) {
  ASSERT_TRUE(CreateDirectory(FilePath()));  // a folder where the file should be
  auto config = Loaded();
  ExpectValues(*config, kDefaults, "folder");
  std::vector<std::wstring> shown = messages_.texts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].substr(0, wcslen(L"Exception catch!\n")), L"Exception catch!\n");
  EXPECT_NE(shown[0].find(FilePath() + L" cannot be read."), std::wstring::npos) << WideToSystem(shown[0]);
  config->Save();
  std::vector<std::string> aside = SetAsideFiles();
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_TRUE(IsDirectory(SystemToWide(dir_.File(aside[0]))));
  EXPECT_NE(shown[0].find(SystemToWide(dir_.File(aside[0]))), std::wstring::npos) << WideToSystem(shown[0]);
  EXPECT_FALSE(IsDirectory(FilePath()));
  EXPECT_TRUE(FileExists(FilePath()));
}

TEST_F(ConfigObjectTest, AFileThatCannotBeSetAsideIsNeverSavedOver) {
  const std::string content = "{\"outputDir\": \"/mine\", \"conTasks\": ";
  dir_.Write("config.ini", content);
  auto config = Loaded();
  ExpectValues(*config, kDefaults, "broken file");
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (IsWritableDirectory(dir_.wpath())) GTEST_SKIP() << "permissions do not apply to this user";
  messages_.Clear();
  config->Save();
  EXPECT_EQ(dir_.Read("config.ini"), content);
  ASSERT_EQ(messages_.texts().size(), 1u);
  EXPECT_EQ(messages_.texts()[0].substr(0, 25), L"Failed to save settings!\n");
  EXPECT_NE(messages_.texts()[0].find(L"so it is left as it is"), std::wstring::npos);
  // Once the folder takes files again, the next save keeps the file first.
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
  config->Save();
  ExpectOnlyFileAside(content);
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
  ExpectKeptByTheNextSave(*config, "{\"conTasks\": ");
}

TEST_F(ConfigObjectTest, SaveWritesThePlainFormWithSingleBackslashes) {
  auto config = Loaded();
  config->outputDir = dir_.wpath() + L"D:\\Videos\\Out";
  config->conTasks = 2;
  config->Save();
  EXPECT_EQ(dir_.Read("config.ini"), "{\"targetDevice\": \"4\",\"targetDeviceDesc\": \"" +
                                         WideToSystem(DefaultDeviceName()) +
                                         "\",\"outputQuality\": \"Normal\",\"outputDir\": \"" + dir_.path() +
                                         "/D:\\Videos\\Out\","
                                         "\"conTasks\": 2,\"needShutdown\": 0}");
  EXPECT_FALSE(FileExists(FilePath() + L".new"));  // written beside, then renamed
  auto again = Loaded();
  EXPECT_EQ(again->outputDir, dir_.wpath() + L"D:\\Videos\\Out");
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
    // Output folders must be usable ones: the sample is a name in the test's folder.
    const std::wstring folder = dir_.wpath() + value;
    auto config = Loaded();
    config->outputDir = folder;
    config->outputQuality = value + L"q";
    config->targetDevice = value;
    config->conTasks = 13;
    config->needShutdown = 1;
    config->Save();
    messages_.Clear();  // the unknown device's message is not what this test is about
    auto loaded = Loaded();
    ExpectValues(*loaded, {value, value + L"q", folder, 13, 1}, WideToSystem(value));
    std::vector<std::wstring> shown = messages_.texts();
    EXPECT_TRUE(std::find(shown.begin(), shown.end(), kException) == shown.end()) << WideToSystem(value);
  }
}

TEST_F(ConfigObjectTest, SaveCreatesAMissingFolderAndReportsFailure) {
  std::wstring nested = dir_.wpath() + L"cfg/clipwright/config.ini";
  ConfigObject config(nested, kDefaultDir, testing::BuildCatalog(), messages_.sink());
  config.Load();
  config.Save();
  EXPECT_TRUE(FileExists(nested));
  EXPECT_TRUE(messages_.texts().empty());

  ASSERT_TRUE(CreateDirectory(FilePath()));  // a folder where the file should go
  ConfigObject blocked(FilePath(), kDefaultDir, testing::BuildCatalog(), messages_.sink());
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
      {L"{\"needShutdown\": true}", {L"4", L"Normal", kDefaultDir, 1, 1}},
      {L"{\"needShutdown\": 1, \"needShutdown\": \"0\"}", kDefaults},
      {L"{\"conTasks\": 1, \"conTasks\": 6}", {L"4", L"Normal", kDefaultDir, 6, 0}},
      {L"{\"targetDevice\": 7, \"outputQuality\": \"Low\"}", {L"7", L"Low", kDefaultDir, 1, 0}},
      {L"{\"TargetDevice\": \"9\", \"targetDeviceDesc\": \"x\"}", kDefaults},
      {L"{\"outputDir\": \"" + dir_.wpath() + L"a\\\"b\\\\c\"}", {L"4", L"Normal", dir_.wpath() + L"a\"b\\c", 1, 0}},
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
  const std::string folder = dir_.path() + "/a\xFF\xFE";
  config->outputDir = SystemToWide(folder);
  std::wstring shown = DisplayText(config->ToJson());
  ASSERT_NE(shown.find(L"/a\uFFFD\uFFFD"), std::wstring::npos);
  config->FromJson(shown);
  EXPECT_EQ(WideToSystem(config->outputDir), folder);
  const std::wstring chosen = dir_.wpath() + L"b";  // a folder the user chose instead
  config->FromJson(L"{\"outputDir\": \"" + chosen + L"\"}");
  EXPECT_EQ(config->outputDir, chosen);
}

// A value the page or the file may hold that must be refused, with the
// reason the message gives.
struct Refusal {
  std::string what;
  std::wstring member;  // the JSON member, as it appears in the text
  std::wstring message;
};

std::wstring TasksRefused(const std::wstring& value, int32_t kept) {
  return L"The number of conversions at once must be a whole number from 1 to 16; \"" + value +
         L"\" is not used.\nIt stays " + std::to_wstring(kept) + L".";
}

std::wstring ShutdownRefused(const std::wstring& value, int32_t kept) {
  return L"Shutting the computer down when the conversions are done must be 0 (off) or 1 (on); \"" + value +
         L"\" is not used.\nIt stays " + std::to_wstring(kept) + L".";
}

std::wstring FolderRefused(const std::wstring& value, const std::wstring& why, const std::wstring& kept) {
  return L"The output folder \"" + value + L"\" is not used: " + why + L".\nThe output folder stays \"" + kept +
         L"\".";
}

class RefusedValuesTest : public ConfigObjectTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectory(dir_.wpath() + L"ro"));
    std::filesystem::permissions(dir_.File("ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    dir_.Write("a-file", "x");
  }
  // Folders that permissions make read-only do not stop a privileged user.
  bool ReadOnlyApplies() const { return !IsWritableDirectory(dir_.wpath() + L"ro"); }

  std::vector<Refusal> Refusals(const std::wstring& kept_dir, int32_t kept_tasks) const {
    const std::wstring d = dir_.wpath();
    std::vector<Refusal> r = {
        {"500", L"\"conTasks\": 500", TasksRefused(L"500", kept_tasks)},
        {"1e9", L"\"conTasks\": 1e9", TasksRefused(L"1e9", kept_tasks)},
        {"-5", L"\"conTasks\": -5", TasksRefused(L"-5", kept_tasks)},
        {"x", L"\"conTasks\": \"x\"", TasksRefused(L"x", kept_tasks)},
        {"0", L"\"conTasks\": 0", TasksRefused(L"0", kept_tasks)},
        {"17", L"\"conTasks\": 17", TasksRefused(L"17", kept_tasks)},
        {"2^32+2", L"\"conTasks\": 4294967298", TasksRefused(L"4294967298", kept_tasks)},
        {"null", L"\"conTasks\": null", TasksRefused(L"null", kept_tasks)},
        {"2.5", L"\"conTasks\": 2.5", TasksRefused(L"2.5", kept_tasks)},
        {"\"2.5\"", L"\"conTasks\": \"2.5\"", TasksRefused(L"2.5", kept_tasks)},
        {"shutdown 7", L"\"needShutdown\": 7", ShutdownRefused(L"7", 0)},
        {"shutdown -1", L"\"needShutdown\": -1", ShutdownRefused(L"-1", 0)},
        {"shutdown 0.5", L"\"needShutdown\": 0.5", ShutdownRefused(L"0.5", 0)},
        {"shutdown yes", L"\"needShutdown\": \"yes\"", ShutdownRefused(L"yes", 0)},
        {"empty folder", L"\"outputDir\": \"\"", FolderRefused(L"", L"no folder is given", kept_dir)},
        {"-y", L"\"outputDir\": \"-y\"",
         FolderRefused(L"-y", L"it is not a full path (it must start with /)", kept_dir)},
        {"relative", L"\"outputDir\": \"relative/dir\"",
         FolderRefused(L"relative/dir", L"it is not a full path (it must start with /)", kept_dir)},
        {"windows path", L"\"outputDir\": \"c:/output\"",
         FolderRefused(L"c:/output", L"it is not a full path (it must start with /)", kept_dir)},
        {"a file", L"\"outputDir\": \"" + d + L"a-file\"",
         FolderRefused(d + L"a-file", L"it is a file, not a folder", kept_dir)},
        {"under a file", L"\"outputDir\": \"" + d + L"a-file/out\"",
         FolderRefused(d + L"a-file/out", L"it cannot be created: " + d + L"a-file is a file, not a folder", kept_dir)},
    };
    if (ReadOnlyApplies()) {
      r.push_back({"read-only folder", L"\"outputDir\": \"" + d + L"ro\"",
                   FolderRefused(d + L"ro", L"the folder cannot be written", kept_dir)});
      r.push_back({"under a read-only folder", L"\"outputDir\": \"" + d + L"ro/new/out\"",
                   FolderRefused(d + L"ro/new/out", L"it cannot be created: " + d + L"ro cannot be written", kept_dir)});
    }
    return r;
  }
};

TEST_F(RefusedValuesTest, ThePageCannotSetUnusableValuesAndIsToldWhy) {
  auto config = Loaded();
  const std::wstring good_dir = dir_.wpath() + L"out/new";
  config->FromJson(L"{\"outputDir\": \"" + good_dir + L"\", \"conTasks\": 7}");
  ASSERT_TRUE(messages_.texts().empty());
  EXPECT_FALSE(FileExists(good_dir));  // checking creates nothing
  for (const Refusal& r : Refusals(good_dir, 7)) {
    SCOPED_TRACE(r.what);
    messages_.Clear();
    config->FromJson(L"{" + r.member + L", \"needShutdown\": 1}");
    ExpectValues(*config, {L"4", L"Normal", good_dir, 7, 1}, r.what);
    EXPECT_EQ(messages_.texts(), std::vector<std::wstring>{r.message});
    config->needShutdown = 0;
  }
}

TEST_F(RefusedValuesTest, UsableValuesAtTheBoundsAreTaken) {
  auto config = Loaded();
  const struct {
    std::wstring member;
    std::wstring dir;
    int32_t tasks;
  } cases[] = {
      {L"\"conTasks\": 8.0", kDefaultDir, 8},
      {L"\"conTasks\": 1", kDefaultDir, 1},
      {L"\"conTasks\": 16", kDefaultDir, 16},
      {L"\"conTasks\": \"16\"", kDefaultDir, 16},
      {L"\"outputDir\": \"" + dir_.wpath() + L"\"", dir_.wpath(), 16},
      {L"\"outputDir\": \"" + SystemToWide(dir_.path()) + L"/deep/er/folder\"", SystemToWide(dir_.path()) + L"/deep/er/folder", 16},
      {L"\"outputDir\": \"" + SystemToWide(dir_.path()) + L"/-y\"", SystemToWide(dir_.path()) + L"/-y", 16},
  };
  for (const auto& c : cases) {
    config->FromJson(L"{" + c.member + L"}");
    EXPECT_EQ(config->outputDir, c.dir) << WideToSystem(c.member);
    EXPECT_EQ(config->conTasks, c.tasks) << WideToSystem(c.member);
  }
  EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(RefusedValuesTest, AFileWithUnusableValuesIsSetAsideAndItsOtherValuesLoad) {
  for (const Refusal& r : Refusals(kDefaultDir, 1)) {
    SCOPED_TRACE(r.what);
    messages_.Clear();
    const std::string content = WideToSystem(L"{\"targetDevice\": \"2\"," + r.member + L",\"needShutdown\": 1}");
    dir_.Write("config.ini", content);
    auto config = Loaded();
    ExpectValues(*config, {L"2", L"Normal", kDefaultDir, 1, 1}, r.what);
    ASSERT_EQ(messages_.texts().size(), 1u);
    EXPECT_EQ(messages_.texts()[0].substr(0, r.message.size() + 1), r.message + L"\n");
    ExpectKeptByTheNextSave(*config, content, false);
    RemoveSetAsideFiles();
  }
}

// Files another program's JSON writer wrote: their escapes are decoded, while
// raw paths as this program writes them keep their backslashes.
TEST_F(ConfigObjectTest, StandardJsonFilesHaveTheirEscapesDecoded) {
  const std::string p = dir_.path();
  const std::wstring wp = SystemToWide(p);
  const struct {
    std::string what;
    std::string folder_bytes;  // as written in the file, after the test's folder
    std::wstring folder;
  } cases[] = {
      {"\\u escape", "/Vid\\u00e9os", L"/Vid\u00E9os"},
      {"upper-case hex, a surrogate pair", "/\\u89C6\\ud83c\\udfac", L"/\u89C6\U0001F3AC"},
      {"escaped backslashes and slash", "/D:\\\\Videos\\/Out", L"/D:\\Videos/Out"},
      {"escaped quote", "/say \\\"hi\\\"", L"/say \"hi\""},
      {"raw path beside an escape", "/D:\\Vid\\u00e9os", L"/D:\\Vid\\u00e9os"},
      {"raw path that holds \\n", "/C:\\new\\\\x", L"/C:\\new\\\\x"},
      {"raw share", "/\\\\server\\share", L"/\\\\server\\share"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.Write("config.ini", "{\"outputDir\": \"" + p + c.folder_bytes + "\",\"conTasks\": 2}");
    auto config = Loaded();
    ExpectValues(*config, {L"4", L"Normal", wp + c.folder, 2, 0}, c.what);
    config->Save();
    EXPECT_EQ(Loaded()->outputDir, wp + c.folder);  // saved in a form that reads back the same
  }
  EXPECT_TRUE(messages_.texts().empty());
  EXPECT_TRUE(SetAsideFiles().empty());
}

TEST_F(ConfigObjectTest, Utf8FilesWithoutTheMarkKeepTheirNames) {
  const std::string p = dir_.path();
  const struct {
    std::string what;
    std::string folder_bytes;  // as a text editor wrote it, after the test's folder
    std::wstring folder;
  } cases[] = {
      {"utf-8", "/Vid\xC3\xA9os", L"/Vid\u00E9os"},
      {"utf-8, cyrillic and cjk", "/\xD0\x92\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE/\xE8\xA7\x86\xE9\xA2\x91",
       L"/\u0412\u0438\u0434\u0435\u043E/\u89C6\u9891"},
      {"utf-8 with a backslash", "/Vid\xC3\xA9os\\2024", L"/Vid\u00E9os\\2024"},
      {"latin-1", "/Vid\xE9os", L"/Vid\u00E9os"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.Write("config.ini", "{\"outputDir\": \"" + p + c.folder_bytes + "\", \"conTasks\": 2}");
    auto config = Loaded();
    ExpectValues(*config, {L"4", L"Normal", SystemToWide(p) + c.folder, 2, 0}, c.what);
    config->Save();
    auto again = Loaded();
    EXPECT_EQ(again->outputDir, SystemToWide(p) + c.folder);  // saved back as the same name
  }
  EXPECT_TRUE(messages_.texts().empty());
  EXPECT_TRUE(SetAsideFiles().empty());
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
