// Runs `cwdiag settings` on prepared program folders and checks its output and
// the config.ini it leaves behind.
#include <gtest/gtest.h>


#include <string>

#include "catalog/catalog_cipher.h"
#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace {

using cw::testing::ShellQuote;
using Output = cw::testing::CommandOutput;

class CwdiagSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = dir_.path() + "/home";
    program_ = dir_.path() + "/program";
    std::string made = "mkdir -p " + ShellQuote(home_ + "/cfg") + " " + ShellQuote(program_);
    ASSERT_EQ(system(made.c_str()), 0);
  }

  // A catalog whose device "4" is called "Media Player".
  void WriteCatalog() {
    const std::string json =
        "{\"ProgramName\": \"Clipwright\", \"Version\": \"1.0\", \"Devices\": ["
        "{\"id\": \"4\", \"name\": \"Media Player\", \"DeviceAry\": [{\"id\": \"Normal\"}]}]}";
    dir_.Write("program/data.dat", cw::BytesToHex(cw::EncryptCatalogBytes(cw::PadToWholeBlocks(json)), 64));
  }

  // Runs cwdiag settings --dir PROGRAM [args] with a home folder of its own,
  // so the default output folder is HOME/Videos/Clipwright.
  Output Run(const std::string& args) {
    const std::string command = "env -u XDG_VIDEOS_DIR HOME=" + ShellQuote(home_) +
                                " XDG_CONFIG_HOME=" + ShellQuote(home_ + "/cfg") + " " +
                                ShellQuote(std::string(CW_BUILD_DIR) + "/cwdiag") + " settings --dir " +
                                ShellQuote(program_) + " " + args + " 2>/dev/null";
    return cw::testing::RunCommand(command);
  }

  std::string Json(const std::string& device, const std::string& desc, const std::string& quality,
                   const std::string& dir, int con_tasks, int need_shutdown) {
    return "{\"targetDevice\": \"" + device + "\",\"targetDeviceDesc\": \"" + desc + "\",\"outputQuality\": \"" +
           quality + "\",\"outputDir\": \"" + dir + "\",\"conTasks\": " + std::to_string(con_tasks) +
           ",\"needShutdown\": " + std::to_string(need_shutdown) + "}";
  }

  // The settings as the page and `cwdiag settings` get them: texts escaped.
  static std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    return out;
  }
  std::string PageJson(const std::string& device, const std::string& desc, const std::string& quality,
                       const std::string& dir, int con_tasks, int need_shutdown) {
    return Json(Escaped(device), Escaped(desc), Escaped(quality), Escaped(dir), con_tasks, need_shutdown);
  }

  cw::testing::TempDir dir_;
  std::string home_;
  std::string program_;
};

TEST_F(CwdiagSettings, DefaultsWithoutConfigFile) {
  WriteCatalog();
  Output run = Run("");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Json("4", "Media Player", "Normal", home_ + "/Videos/Clipwright", 1, 0) + "\n");
  EXPECT_EQ(dir_.Read("program/config.ini"), "");  // only --set writes
}

TEST_F(CwdiagSettings, SetSavesAndTheNextRunLoadsIt) {
  WriteCatalog();
  Output run = Run("--set " + ShellQuote("{\"outputDir\": \"" + dir_.path() + "/D:\\\\Videos\\\\Out\", \"conTasks\": 2}"));
  EXPECT_EQ(run.status, 0);
  const std::string expected = Json("4", "Media Player", "Normal", dir_.path() + "/D:\\Videos\\Out", 2, 0);
  const std::string shown = PageJson("4", "Media Player", "Normal", dir_.path() + "/D:\\Videos\\Out", 2, 0);
  EXPECT_EQ(run.out, shown + "\n");
  EXPECT_EQ(dir_.Read("program/config.ini"), expected);  // raw, single backslashes, no line end
  EXPECT_EQ(Run("").out, shown + "\n");
}

TEST_F(CwdiagSettings, QuotesAndNonLatinTextSurviveTheFile) {
  WriteCatalog();
  const std::string folder = dir_.path() + "/\xD0\x92\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE \"new\"\\";
  Output run = Run("--set " + ShellQuote("{\"outputDir\": \"" + dir_.path() + "/\xD0\x92\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE "
                                          "\\\"new\\\"\\\\\", \"needShutdown\": 1}"));
  const std::string expected = PageJson("4", "Media Player", "Normal", folder, 1, 1) + "\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(Run("").out, expected);
}

TEST_F(CwdiagSettings, OldConfigFileAndMessages) {
  dir_.Write("program/config.ini",
             "{\"targetDevice\": \"9\",\"targetDeviceDesc\": \"Old\",\"outputQuality\": \"Low\","
             "\"outputDir\": \"" + dir_.path() + "/c:\\output\",\"conTasks\": 3,\"needShutdown\": 0}");
  Output run = Run("");  // no data.dat in the folder
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "message: Please re-install program, it loses some files.\n"
            "message: can't find device!\n" +
                PageJson("9", "", "Low", dir_.path() + "/c:\\output", 3, 0) + "\n");
}

TEST_F(CwdiagSettings, RefusedValuesOfTheFileAreReportedAndTheFileIsLeftAlone) {
  WriteCatalog();
  const std::string content = "{\"outputDir\": \"c:\\output\",\"conTasks\": 500,\"needShutdown\": 1}";
  dir_.Write("program/config.ini", content);
  Output run = Run("");
  EXPECT_EQ(run.status, 0);
  const std::string home_out = home_ + "/Videos/Clipwright";
  const std::string expected_start =
      "message: The output folder \"c:\\output\" is not used: it is not a full path (it must start with /).\n"
      "The output folder stays \"" + home_out + "\".\n"
      "The number of conversions at once must be a whole number from 1 to 16; \"500\" is not used.\nIt stays 1.\n"
      "Before the settings are next saved, the file is kept as " + program_ + "/config.ini.broken-";
  EXPECT_EQ(run.out.substr(0, expected_start.size()), expected_start) << run.out;
  EXPECT_NE(run.out.find(Json("4", "Media Player", "Normal", home_out, 1, 1) + "\n"), std::string::npos) << run.out;
  EXPECT_EQ(dir_.Read("program/config.ini"), content);  // a run that saves nothing changes nothing
}

TEST_F(CwdiagSettings, BadSetTextKeepsTheValues) {
  WriteCatalog();
  Output run = Run("--set " + ShellQuote("not json"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "message: Exception catch!\n" +
                         Json("4", "Media Player", "Normal", home_ + "/Videos/Clipwright", 1, 0) + "\n");
}

TEST_F(CwdiagSettings, Usage) {
  const std::string cwdiag = ShellQuote(std::string(CW_BUILD_DIR) + "/cwdiag");
  for (std::string args : {"settings", "settings --set x", "settings --dir", "settings --dir a b"}) {
    int status = system((cwdiag + " " + args + " >/dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
  }
}

}  // namespace
