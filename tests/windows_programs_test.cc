// clipwright-cli.exe and cwdiag.exe as processes on Windows (under wine on
// the build machine): started from argument lists through the platform's
// processes, never through cmd.exe, each from a program folder of the test's
// own (a copy of the programs, data.dat and the stand-in encoder as xenc.exe),
// so no run reads or writes the build folder's settings.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using namespace std::chrono_literals;

struct RunResult {
  std::string output;  // standard output and standard error, merged
  ProcessExit exit;
};

class WindowsProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    prog_ = dir_.path() + "/prog";
    fs::create_directories(prog_);
    fs::create_directories(dir_.path() + "/in");
    for (const char* file : {"clipwright-cli.exe", "cwdiag.exe", "data.dat"})
      fs::copy_file(std::string(CW_BUILD_DIR) + "/" + file, prog_ + "/" + file);
    fs::copy_file(CW_STAND_IN, prog_ + "/xenc.exe");
  }

  std::wstring Program(const std::string& name) const { return SystemToWide(prog_ + "/" + name); }

  // A source file for the stand-in encoder, saying how it behaves.
  std::wstring Source(const std::string& name, const std::string& behaviour) const {
    dir_.Write("in/" + name, behaviour);
    return SystemToWide(dir_.File("in/" + name));
  }

  static std::unique_ptr<ChildProcess> Start(const std::vector<std::wstring>& argv) {
    ChildProcess::StartError error;
    auto child = ChildProcess::Start(argv, &error);
    EXPECT_TRUE(child) << error.reason;
    return child;
  }

  static RunResult RunToEnd(const std::vector<std::wstring>& argv) {
    RunResult run;
    auto child = Start(argv);
    if (!child) return run;
    std::string chunk;
    while (child->ReadOutput(&chunk)) run.output += chunk;
    run.exit = child->Reap();
    return run;
  }

  std::vector<std::wstring> Cli(std::vector<std::wstring> args) const {
    args.insert(args.begin(), {Program("clipwright-cli.exe"), L"--device", L"1", L"--quality", L"Low", L"--output",
                               SystemToWide(dir_.File("out"))});
    return args;
  }

  testing::TempDir dir_;
  std::string prog_;
};

TEST_F(WindowsProgramsTest, ListsTheDevicesOfTheCatalog) {
  RunResult run = RunToEnd({Program("clipwright-cli.exe"), L"--list-devices"});
  EXPECT_TRUE(run.exit.SucceededNormally()) << run.output;
  EXPECT_NE(run.output.find("Basic phone"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Low     320x180"), std::string::npos) << run.output;
}

// data.dat, made on this system by make_data_dat.exe, decodes to exactly the
// bytes of the catalog's source, as on Linux.
TEST_F(WindowsProgramsTest, TheCatalogDecodesByteForByteToItsSource) {
  std::string source;
  ASSERT_TRUE(ReadFileBytes(SystemToWide(std::string(CW_SOURCE_DIR) + "/catalog/catalog.json"), &source));
  RunResult run = RunToEnd({Program("cwdiag.exe"), L"catalog", Program("data.dat")});
  EXPECT_TRUE(run.exit.SucceededNormally());
  EXPECT_EQ(run.output, source);
}

// Names with spaces, &, %, ^, an accent and a leading '-'
// reach the encoder unchanged: the stand-in writes each argument it got into
// the output file.
TEST_F(WindowsProgramsTest, ConvertsFilesWhoseNamesNeedQuoting) {
  const std::vector<std::string> names = {"clip one.avi", "a&b %PATH% ^x.avi", "caf\xc3\xa9 (2).avi", "-dash.avi"};
  std::vector<std::wstring> args = {L"--"};
  for (const auto& name : names) args.push_back(Source(name, "frames=10\npace=0.01\n"));
  RunResult run = RunToEnd(Cli(args));
  EXPECT_TRUE(run.exit.exited) << run.output;
  EXPECT_EQ(run.exit.exit_code, 0) << run.output;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string base = names[i].substr(0, names[i].size() - 4);
    std::string written;
    ASSERT_TRUE(ReadFileBytes(SystemToWide(dir_.File("out/" + base + ".mp4")), &written)) << base;
    // The program writes the source's absolute name with either separator.
    for (char& c : written) c = c == '\\' ? '/' : c;
    EXPECT_NE(written.find("arg: " + WideToSystem(args[i + 1]) + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("frame 10\ncomplete\n"), std::string::npos) << written;
  }
}

TEST_F(WindowsProgramsTest, AFailingEncoderMakesTheExitStatusOne) {
  RunResult run = RunToEnd(Cli({Source("good.avi", "frames=5\npace=0\n"), Source("bad.avi", "frames=5\npace=0\nexit=3\n")}));
  EXPECT_TRUE(run.exit.exited);
  EXPECT_EQ(run.exit.exit_code, 1) << run.output;
  EXPECT_NE(run.output.find("bad.avi"), std::string::npos) << run.output;
  EXPECT_TRUE(FileExists(SystemToWide(dir_.File("out/good.mp4"))));
}

TEST_F(WindowsProgramsTest, AMissingFileIsBadUsage) {
  RunResult run = RunToEnd(Cli({SystemToWide(dir_.File("in/none.avi"))}));
  EXPECT_TRUE(run.exit.exited);
  EXPECT_EQ(run.exit.exit_code, 2) << run.output;
}

// The command-line program ended from outside while its encoder runs: the
// encoder's job closes with the program, and the system ends the encoder.
TEST_F(WindowsProgramsTest, AnEncoderEndsWithTheProgramThatWasKilled) {
  auto cli = Start(Cli({Source("hang.avi", "mode=hang\n")}));
  ASSERT_TRUE(cli);
  std::vector<int> encoders;
  for (int i = 0; i < 1000 && encoders.empty(); ++i) {
    std::this_thread::sleep_for(10ms);
    encoders = ChildProcessIds(cli->pid());
  }
  ASSERT_EQ(encoders.size(), 1u);
  const int encoder = encoders[0];
  EXPECT_TRUE(ProcessGroupAlive(encoder));
  EXPECT_TRUE(cli->Kill());
  ProcessExit end = cli->Reap();
  EXPECT_FALSE(end.exited);
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    gone = !ProcessGroupAlive(encoder);
    if (!gone) std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(gone) << "encoder " << encoder << " outlived the program";
}

}  // namespace
}  // namespace cw
