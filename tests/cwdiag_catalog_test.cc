// Runs `cwdiag catalog` and `cwdiag devices` from the build folder on the
// shipped data.dat and on prepared files, and checks their whole output.
#include <gtest/gtest.h>


#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "catalog/catalog_cipher.h"
#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace {

using Output = cw::testing::CommandOutput;

// Runs a program of the build folder with `args` (already shell-quoted) and
// captures its standard output.
Output RunTool(const std::string& tool, const std::string& args) {
  return cw::testing::RunCommand(cw::testing::BuildTool(tool) + " " + args + " 2>/dev/null");
}

Output Cwdiag(const std::string& args) { return RunTool("cwdiag", args); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string DataDat(const std::string& json) {
  return cw::BytesToHex(cw::EncryptCatalogBytes(cw::PadToWholeBlocks(json)), 64);
}

TEST(CwdiagCatalog, PrintsTheShippedCatalogSource) {
  const std::string source = ReadFile(std::string(CW_SOURCE_DIR) + "/catalog/catalog.json");
  ASSERT_FALSE(source.empty());
  Output run = Cwdiag("catalog");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, source);
  run = Cwdiag(std::string("catalog '") + CW_BUILD_DIR + "/data.dat'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, source);
}

TEST(CwdiagCatalog, FilesThatAreNoCatalog) {
  cw::testing::TempDir dir;
  dir.Write("empty.dat", "");
  dir.Write("text.dat", "hello");
  dir.Write("utf8.dat", DataDat("{\"n\": \"caf\xC3\xA9\"}"));
  struct Case {
    std::string file;
    std::string out;
  } cases[] = {
      {"missing.dat", "message: Please re-install program, it loses some files.\n{}"},
      {"empty.dat", "message: data.dat is damaged, please re-install program.\n{}"},
      {"text.dat", "message: data.dat is damaged, please re-install program.\n{}"},
      {"utf8.dat", "{\"n\": \"caf\xC3\xA9\"}"},
  };
  for (const auto& c : cases) {
    Output run = Cwdiag("catalog '" + dir.File(c.file) + "'");
    EXPECT_EQ(run.status, 0) << c.file;
    EXPECT_EQ(run.out, c.out) << c.file;
  }
  EXPECT_EQ(Cwdiag("catalog a b").status, 2);
}

TEST(CwdiagDevices, PrintsTheModel) {
  cw::testing::TempDir dir;
  dir.Write("data.dat", DataDat(R"({"ProgramName": "Caf\u00e9 \"Clip\"", "Version": 2,
    "Devices": [{"id": "4", "name": "Tablet", "desc": null,
                 "DeviceAry": [{"id": "Normal", "name": "N", "desc": "a\\b", "ext": "mp4",
                                "solution": "1280x720", "videoKBS": 768, "audioBitrate": "128"}]},
                "odd", {"id": "tv", "DeviceAry": {}}]})"));
  Output run = Cwdiag("devices '" + dir.File("data.dat") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "product name=\"Caf\\u00e9 \\\"Clip\\\"\" version=\"2\"\n"
            "device id=\"4\" name=\"Tablet\" desc=\"null\"\n"
            "  quality id=\"Normal\" name=\"N\" desc=\"a\\\\b\" ext=\"mp4\" solution=\"1280x720\" videoKBS=\"768\" "
            "audioBitrate=\"128\"\n"
            "device id=\"\" name=\"\" desc=\"\"\n"
            "device id=\"tv\" name=\"\" desc=\"\"\n");
}

TEST(CwdiagDevices, MessagesComeFirst) {
  cw::testing::TempDir dir;
  dir.Write("bad.dat", DataDat("this is not JSON text"));
  struct Case {
    std::string file;
    std::string out;
  } cases[] = {
      {"missing.dat", "message: Please re-install program, it loses some files.\nproduct name=\"\" version=\"\"\n"},
      {"bad.dat", "message: Exception catch!\nproduct name=\"\" version=\"\"\n"},
  };
  for (const auto& c : cases) {
    Output run = Cwdiag("devices '" + dir.File(c.file) + "'");
    EXPECT_EQ(run.status, 0) << c.file;
    EXPECT_EQ(run.out, c.out) << c.file;
  }
}

TEST(CwdiagDevices, ShippedCatalogHasTheDefaultDevice) {
  Output run = Cwdiag("devices");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("product name=\"Clipwright\" version=\"", 0), 0u) << run.out;
  const size_t device = run.out.find("\ndevice id=\"4\" ");
  ASSERT_NE(device, std::string::npos) << run.out;
  const size_t next = run.out.find("\ndevice ", device + 1);
  const std::string block = run.out.substr(device, next - device);
  EXPECT_NE(block.find("\n  quality id=\"Normal\" "), std::string::npos) << block;
  EXPECT_EQ(run.out.find("message:"), std::string::npos);
}

// The build step that makes data.dat refuses sources the program could not load.
TEST(MakeDataDat, WritesLoadableCatalogsOnly) {
  cw::testing::TempDir dir;
  const std::string good = "{\"ProgramName\": \"P\", \"Devices\": [{\"id\": \"4\"}]}\n";
  struct Case {
    const char* what;
    std::string source;
    int status;
  } cases[] = {
      {"a catalog", good, 0},
      {"not JSON", "ProgramName = P, Devices = 4", 1},
      {"no devices", "{\"ProgramName\": \"P\", \"Devices\": []}", 1},
      {"a zero byte inside", std::string("{\"Devices\": [{}]}") + '\0' + "{\"x\": 1}", 1},
  };
  for (const auto& c : cases) {
    dir.Write("source.json", c.source);
    std::remove(dir.File("data.dat").c_str());
    Output run = RunTool("make_data_dat", "'" + dir.File("source.json") + "' '" + dir.File("data.dat") + "'");
    EXPECT_EQ(run.status, c.status) << c.what;
    const std::string written = ReadFile(dir.File("data.dat"));
    EXPECT_EQ(written.empty(), c.status != 0) << c.what;
    if (c.status == 0) {
      EXPECT_EQ(Cwdiag("catalog '" + dir.File("data.dat") + "'").out, c.source) << c.what;
      EXPECT_EQ(written.find_first_not_of("0123456789ABCDEF\n"), std::string::npos) << c.what;
      EXPECT_EQ(written.find('\n'), 64u) << c.what;  // 64 digits a line
    }
  }
  EXPECT_EQ(RunTool("make_data_dat", "").status, 1);
  EXPECT_EQ(RunTool("make_data_dat", "'" + dir.File("missing.json") + "' '" + dir.File("out.dat") + "'").status, 1);
}

}  // namespace
