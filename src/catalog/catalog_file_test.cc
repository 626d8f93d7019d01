// Tests of reading data.dat: files made by an independent tool, every shape of
// hex text, and the files that cannot be read.
#include "catalog/catalog_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalog/catalog_cipher.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/message_recorder.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(CW_SOURCE_DIR) + "/" + relative, std::ios::binary);
  EXPECT_TRUE(in) << relative;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Reads `bytes` as data.dat from a temporary folder.
struct Decoded {
  std::wstring text;
  std::vector<std::wstring> messages;
};
Decoded DecodeFile(const std::string& bytes) {
  testing::TempDir dir;
  dir.Write("data.dat", bytes);
  Decoded d;
  d.text = ReadCatalogText(SystemToWide(dir.File("data.dat")), &d.messages);
  return d;
}

TEST(ReadCatalogText, DecodesFilesMadeByAnIndependentTool) {
  const std::wstring json = SystemToWide(ReadSource("src/catalog/testdata/fixture_catalog.json"));
  const std::string lower = ReadSource("src/catalog/testdata/fixture_catalog_openssl.hex");
  const std::string upper_padded = ReadSource("src/catalog/testdata/fixture_catalog_openssl_padded.hex");
  ASSERT_GT(json.size(), 100u);
  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"lower case, LF lines, partial last block", lower},
      {"upper case, zero padded", upper_padded},
      {"CR LF lines", Replace(lower, "\n", "\r\n")},
      {"one line", Replace(lower, "\n", "")},
      {"one line, no final line end", Replace(Replace(lower, "\n", ""), "\r", "")},
      {"mixed case", Lower(upper_padded.substr(0, 200)) + upper_padded.substr(200)},
      {"blank lines and indentation", "\n  " + Replace(upper_padded, "\n", "\n\n\t")},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeFile(c.file);
    EXPECT_EQ(d.text, json) << c.what;
    EXPECT_TRUE(d.messages.empty()) << c.what;
  }
}

TEST(ReadCatalogText, DecodesWhatOurGeneratorWrites) {
  const std::string json = "{\"ProgramName\": \"Caf\xC3\xA9\", \"Version\": \"1\"}\n";
  for (size_t per_line : {0, 16, 64}) {
    Decoded d = DecodeFile(BytesToHex(EncryptCatalogBytes(PadToWholeBlocks(json)), per_line));
    EXPECT_EQ(d.text, L"{\"ProgramName\": \"Caf\u00e9\", \"Version\": \"1\"}\n") << per_line;
    EXPECT_TRUE(d.messages.empty());
  }
}

TEST(ReadCatalogText, OddFiles) {
  struct Case {
    const char* what;
    std::string file;
    std::wstring text;
    std::vector<std::wstring> messages;
  } cases[] = {
      {"empty", "", kNoCatalogText, {kCatalogDamagedMessage}},
      {"only line ends", "\n\r\n\n", kNoCatalogText, {kCatalogDamagedMessage}},
      {"only blanks", "  \t \n", kNoCatalogText, {kCatalogDamagedMessage}},
      {"a stray letter", "04060CEB14G3\n", kNoCatalogText, {kCatalogDamagedMessage}},
      {"a byte-order mark", "\xEF\xBB\xBF" "04060CEB", kNoCatalogText, {kCatalogDamagedMessage}},
      {"binary garbage", std::string("\x00\x01\xFF\x7F", 4), kNoCatalogText, {kCatalogDamagedMessage}},
      {"a text file", "{\"ProgramName\": \"plain\"}", kNoCatalogText, {kCatalogDamagedMessage}},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeFile(c.file);
    EXPECT_EQ(d.text, c.text) << c.what;
    EXPECT_EQ(d.messages, c.messages) << c.what;
  }
}

TEST(ReadCatalogText, MissingFile) {
  testing::TempDir dir;
  std::vector<std::wstring> messages;
  EXPECT_EQ(ReadCatalogText(SystemToWide(dir.File("data.dat")), &messages), L"{}");
  EXPECT_EQ(messages, std::vector<std::wstring>{L"Please re-install program, it loses some files."});
}

TEST(ReadCatalogText, FileThatCannotBeRead) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.File("data.dat"));  // exists, but is no file
  std::vector<std::wstring> messages;
  EXPECT_EQ(ReadCatalogText(SystemToWide(dir.File("data.dat")), &messages), L"{}");
  EXPECT_EQ(messages, std::vector<std::wstring>{kCatalogUnreadableMessage});
}

TEST(ReadCatalogText, FileWithoutReadPermission) {
  testing::TempDir dir;
  dir.Write("data.dat", BytesToHex(EncryptCatalogBytes("{\"Version\": \"1\"}")));
  std::filesystem::permissions(dir.File("data.dat"), std::filesystem::perms::none);
  if (std::ifstream(dir.File("data.dat"))) GTEST_SKIP() << "permissions do not apply to this user";
  std::vector<std::wstring> messages;
  EXPECT_EQ(ReadCatalogText(SystemToWide(dir.File("data.dat")), &messages), L"{}");
  EXPECT_EQ(messages, std::vector<std::wstring>{kCatalogUnreadableMessage});
}

TEST(ReadCatalogText, ReadOnlyFileIsRead) {
  testing::TempDir dir;
  dir.Write("data.dat", BytesToHex(EncryptCatalogBytes("{\"Version\": \"1\"}")));
  std::filesystem::permissions(dir.File("data.dat"), std::filesystem::perms::owner_read);
  std::vector<std::wstring> messages;
  EXPECT_EQ(ReadCatalogText(SystemToWide(dir.File("data.dat")), &messages), L"{\"Version\": \"1\"}");
  EXPECT_TRUE(messages.empty());
}

class CatalogFilePathTest : public ::testing::Test {
 protected:
  CatalogFilePathTest() : saved_(ProgramFolder()) {}
  ~CatalogFilePathTest() override { SetProgramFolderForTesting(saved_); }
  std::wstring saved_;
};

TEST_F(CatalogFilePathTest, ProgramFolderFirstThenInstalledShareFolder) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("bin"));
  std::filesystem::create_directories(dir.File("share/clipwright"));
  SetProgramFolderForTesting(SystemToWide(dir.File("bin")));
  const std::wstring beside = SystemToWide(dir.File("bin/data.dat"));
  EXPECT_EQ(CatalogFilePath(), beside);  // neither exists: the program folder's

  dir.Write("share/clipwright/data.dat", BytesToHex(EncryptCatalogBytes("{\"Version\": \"share\"}")));
  EXPECT_EQ(CatalogFilePath(), SystemToWide(dir.File("bin/../share/clipwright/data.dat")));
  std::vector<std::wstring> messages;
  EXPECT_EQ(ReadCatalogText(CatalogFilePath(), &messages), L"{\"Version\": \"share\"}");

  dir.Write("bin/data.dat", BytesToHex(EncryptCatalogBytes("{\"Version\": \"beside\"}")));
  EXPECT_EQ(CatalogFilePath(), beside);
  EXPECT_EQ(ReadCatalogText(CatalogFilePath(), &messages), L"{\"Version\": \"beside\"}");
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace cw
