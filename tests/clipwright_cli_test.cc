// clipwright-cli run as a process with the real encoder on clips the tests
// generate: conversions and their names, exit statuses, the plain and the
// terminal output, orderly stops on signals, and an installed copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "platform/process.h"
#include "platform/text.h"
#include "testsupport/run_command.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kBuild = CW_BUILD_DIR;

struct CliRun {
  std::string output;  // standard output and standard error together
  int exit_code = -1;
  bool Has(const std::string& part) const { return output.find(part) != std::string::npos; }
};

class ClipwrightCliTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // No encoder may outlive a run: every one names a file of the test's folder.
    EXPECT_TRUE(cw::testing::NoProcessMentions(dir_.path()));
  }

  // A short test-pattern clip with sound.
  std::string MakeClip(const std::string& name, int seconds = 1, const std::string& size = "160x120") {
    std::string path = dir_.File(name);
    CliRun made = Run({kBuild + "/xenc", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                       "testsrc=duration=" + std::to_string(seconds) + ":size=" + size + ":rate=25", "-f", "lavfi",
                       "-i", "sine=duration=" + std::to_string(seconds), "-c:v", "mpeg4", "-shortest", path});
    EXPECT_EQ(made.exit_code, 0) << made.output;
    return path;
  }

  std::vector<std::string> Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {kBuild + "/clipwright-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
  }

  // Runs a command to its end (killed after two minutes). `on_output` sees
  // the output gathered so far after each piece, with the process.
  CliRun Run(const std::vector<std::string>& argv,
             const std::function<void(const std::string&, ChildProcess&)>& on_output = nullptr) {
    CliRun run;
    std::vector<std::wstring> wide;
    for (const auto& a : argv) wide.push_back(SystemToWide(a));
    ChildProcess::StartError error;
    std::shared_ptr<ChildProcess> child = ChildProcess::Start(wide, &error);
    if (!child) {
      ADD_FAILURE() << error.reason;
      return run;
    }
    std::thread watchdog([child] {
      if (!child->WaitForEnd(120000)) child->Kill();
    });
    std::string chunk;
    while (child->ReadOutput(&chunk)) {
      run.output += chunk;
      if (on_output) on_output(run.output, *child);
    }
    ProcessExit end = child->Reap();
    watchdog.join();
    run.exit_code = end.exited ? end.exit_code : -end.signal_number;
    return run;
  }

  static bool IsMp4(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    return in.gcount() == 8 && std::string(head + 4, 4) == "ftyp";
  }

  std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir dir_;
};

TEST_F(ClipwrightCliTest, TwoFilesAtTwoJobsConvertSideBySide) {
  std::string a = MakeClip("a.avi"), b = MakeClip("b.avi");
  std::string out = dir_.File("out/new");  // missing folders are created
  CliRun run = Run(Cli({"--device", "1", "--quality", "Low", "--output", out, "--jobs", "2", a, b}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"a.mp4", "b.mp4"}));
  EXPECT_TRUE(IsMp4(out + "/a.mp4"));
  EXPECT_TRUE(IsMp4(out + "/b.mp4"));
  // The plain lines: both start before either ends.
  size_t a_start = run.output.find("a.avi: running -> " + out + "/a.mp4\n");
  size_t b_start = run.output.find("b.avi: running -> " + out + "/b.mp4\n");
  size_t first_done = std::min(run.output.find("a.avi: done\n"), run.output.find("b.avi: done\n"));
  ASSERT_NE(a_start, std::string::npos) << run.output;
  ASSERT_NE(b_start, std::string::npos) << run.output;
  ASSERT_NE(first_done, std::string::npos) << run.output;
  EXPECT_LT(std::max(a_start, b_start), first_done);
  EXPECT_TRUE(run.Has("b.avi: done\n")) << run.output;
  EXPECT_TRUE(run.Has("\nConverted 2 of 2 files.\n")) << run.output;
  EXPECT_EQ(run.output.find('\x1b'), std::string::npos);  // no terminal codes in a log

  // A second run over the same names picks free ones, and one job at a time
  // runs the files in the given order.
  run = Run(Cli({"--device", "1", "--quality", "Low", "--output", out, "--jobs", "1", b, a}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"a(1).mp4", "a.mp4", "b(1).mp4", "b.mp4"}));
  EXPECT_LT(run.output.find("b.avi: done"), run.output.find("a.avi: running"));
}

TEST_F(ClipwrightCliTest, FolderAddsItsVisibleFiles) {
  fs::create_directories(dir_.File("in/sub"));
  MakeClip("in/one.avi");
  MakeClip("in/sub/deeper.avi");
  MakeClip("in/.hidden.avi");
  std::string out = dir_.File("out");
  CliRun run = Run(Cli({"--device", "9", "--quality=Low", "--output=" + out, dir_.File("in")}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"one.mp4"}));
  EXPECT_TRUE(run.Has("Converted 1 of 1 file.")) << run.output;
}

// Names are bytes: ones that are not UTF-8 (FF FE, Latin-1, an encoded
// surrogate) are found in a folder and taken as arguments, and their outputs
// carry the same bytes, in an output folder whose name is not UTF-8 either.
TEST_F(ClipwrightCliTest, NamesThatAreNotUtf8ConvertAndKeepTheirBytes) {
  fs::create_directories(dir_.File("in"));
  MakeClip("in/\xFF\xFE.avi");
  MakeClip("in/caf\xE9.avi");
  MakeClip("in/s\xED\xA0\x80.avi");
  std::string out = dir_.File("out\xFF");
  CliRun run = Run(Cli({"--device", "1", "--quality", "Low", "--output", out, "--jobs", "2", dir_.File("in")}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"caf\xE9.mp4", "s\xED\xA0\x80.mp4", "\xFF\xFE.mp4"}));
  for (const auto& name : FilesIn(out)) EXPECT_TRUE(IsMp4(out + "/" + name)) << name;
  EXPECT_TRUE(run.Has("Converted 3 of 3 files.")) << run.output;
  // People are shown U+FFFD for each such byte: the output is valid UTF-8.
  EXPECT_TRUE(run.Has("\xEF\xBF\xBD\xEF\xBF\xBD.avi: done\n")) << run.output;
  EXPECT_EQ(WideToSystem(SystemToWideReplacing(run.output)), run.output);

  // The same file given as an argument gets the next free name, same bytes.
  run = Run(Cli({"--device", "1", "--quality", "Low", "--output", out, dir_.File("in/\xFF\xFE.avi")}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"caf\xE9.mp4", "s\xED\xA0\x80.mp4", "\xFF\xFE(1).mp4",
                                                    "\xFF\xFE.mp4"}));
  EXPECT_TRUE(IsMp4(out + "/\xFF\xFE(1).mp4"));
}

TEST_F(ClipwrightCliTest, BrokenInputFailsWithItsNameAndEncoderLines) {
  std::string good = MakeClip("good.avi");
  dir_.Write("broken.avi", "this is no video at all\n");
  std::string out = dir_.File("out");
  CliRun run = Run(Cli({"--device", "1", "--quality", "Low", "--output", out, good, dir_.File("broken.avi")}));
  EXPECT_EQ(run.exit_code, 1) << run.output;
  EXPECT_TRUE(run.Has("broken.avi: failed\n")) << run.output;
  EXPECT_TRUE(run.Has("Converted 1 of 2 files. 1 failed.\n")) << run.output;
  EXPECT_TRUE(run.Has("Failed: broken.avi  (" + dir_.File("broken.avi") + ")\n")) << run.output;
  EXPECT_TRUE(run.Has("  > " + dir_.File("broken.avi") + ": Invalid data found")) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"good.mp4"}));  // no partial file of the failed run
}

TEST_F(ClipwrightCliTest, StopSignalsEndEveryEncoderAndDeletePartialFiles) {
  // A longer 720p clip for the 4K profile (which keeps its size): slow
  // enough to be caught mid-way.
  std::string clip = MakeClip("long.avi", 20, "1280x720");
  const std::pair<std::string, int> signals[] = {{"INT", 130}, {"TERM", 143}, {"HUP", 129}};
  for (const auto& entry : signals) {
    const std::string signal_name = entry.first;
    std::string out = dir_.File("out-" + signal_name);
    bool sent = false;
    size_t partial_files = 0;
    CliRun run = Run(Cli({"--device", "8", "--quality", "High", "--output", out, "--jobs", "2", clip, clip, clip}),
                     [&](const std::string& output, ChildProcess& cli) {
                       // Both encoders have begun writing their files: stop the run.
                       if (sent || output.find("(1).mp4\n") == std::string::npos) return;
                       for (int i = 0; i < 500 && FilesIn(out).size() < 2; ++i) std::this_thread::sleep_for(10ms);
                       sent = true;
                       partial_files = FilesIn(out).size();
                       Run({"/usr/bin/kill", "-" + signal_name, std::to_string(cli.pid())});
                     });
    ASSERT_TRUE(sent) << run.output;
    EXPECT_EQ(partial_files, 2u);  // both encoders had written part of their files
    EXPECT_EQ(run.exit_code, entry.second) << run.output;
    EXPECT_TRUE(run.Has("Interrupted (SIG" + signal_name + ")")) << run.output;
    EXPECT_TRUE(run.Has("Not converted: " + clip + "\n")) << run.output;
    EXPECT_TRUE(run.Has("Converted 0 of 3 files.\n")) << run.output;
    EXPECT_EQ(FilesIn(out), std::vector<std::string>{}) << run.output;
    EXPECT_TRUE(cw::testing::NoProcessMentions(out)) << signal_name;
  }
}

TEST_F(ClipwrightCliTest, AReaderThatGoesAwayDoesNotEndTheRun) {
  std::string a = MakeClip("a.avi"), b = MakeClip("b.avi");
  std::string out = dir_.File("out");
  // `head -n 1` leaves after the first line; later writes find no reader.
  std::string command = "'" + kBuild + "/clipwright-cli' --device 1 --quality Low --jobs 1 --output '" + out +
                        "' '" + a + "' '" + b + "' | head -n 1; exit ${PIPESTATUS[0]}";
  CliRun run = Run({"/bin/bash", "-c", command});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.output, "a.avi: running -> " + out + "/a.mp4\n");
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"a.mp4", "b.mp4"}));
}

TEST_F(ClipwrightCliTest, ListDevicesShowsTheShippedCatalog) {
  CliRun run = Run(Cli({"--list-devices"}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  std::ifstream in(std::string(CW_SOURCE_DIR) + "/catalog/catalog.json");
  std::string catalog((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Every device of the source catalog appears with its id and name.
  int devices = 0;
  for (size_t at = catalog.find("\"DeviceAry\""); at != std::string::npos;
       at = catalog.find("\"DeviceAry\"", at + 1)) {
    size_t id_at = catalog.rfind("\"id\": \"", at) + 7;
    size_t name_at = catalog.find("\"name\": \"", id_at) + 9;
    std::string id = catalog.substr(id_at, catalog.find('"', id_at) - id_at);
    std::string name = catalog.substr(name_at, catalog.find('"', name_at) - name_at);
    EXPECT_TRUE(run.Has(" " + id + "   " + name + "  (")) << id << " " << name << "\n" << run.output;
    ++devices;
  }
  EXPECT_EQ(devices, 9);
  EXPECT_TRUE(run.Has("      Low     320x180    video 300 kbit/s, audio 64 kbit/s\n")) << run.output;
}

TEST_F(ClipwrightCliTest, BadUsageExitsWithTwoAndConvertsNothing) {
  std::string clip = MakeClip("c.avi");
  std::string out = dir_.File("out");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--device", "42", "--quality", "Low", "--output", out, clip},
       "unknown device '42' (from --device); valid devices: 1, 2, 3, 4, 5, 6, 7, 8, 9"},
      {{"--device", "1", "--quality", "Ultra", "--output", out, clip},
       "unknown quality 'Ultra' (from --quality) for device '1'; valid qualities: Low, Normal, High"},
      {{"--device", "1", "--quality", "Low", "--output", out, dir_.File("missing.avi")},
       "no such file or folder: " + dir_.File("missing.avi")},
      {{"--speed", "9", clip}, "unknown option '--speed'"},
      {{"--jobs", "0", clip}, "--jobs needs a whole number from 1 to 64"},
      {{}, "no file or folder to convert"},
      {{"--output", clip, clip}, "--output " + clip + " cannot be used: it is a file, not a folder"},
      {{"--output", clip + "/out", clip},
       "--output " + clip + "/out cannot be used: it cannot be created: " + clip + " is a file, not a folder"},
      {{"--output", "", clip}, "--output needs a value"},
  };
  for (const auto& c : cases) {
    CliRun run = Run(Cli(c.args));
    EXPECT_EQ(run.exit_code, 2) << run.output;
    EXPECT_TRUE(run.Has("clipwright-cli: " + c.message)) << run.output;
  }
  EXPECT_FALSE(fs::exists(out));

  CliRun help = Run(Cli({"--help"}));
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.Has("Usage: clipwright-cli [OPTIONS] FILE|FOLDER...")) << help.output;
}

TEST_F(ClipwrightCliTest, TerminalGetsTheLiveDisplay) {
  std::string clip = MakeClip("t.avi");
  std::string out = dir_.File("out");
  std::string command = kBuild + "/clipwright-cli --device 1 --quality Low --output '" + out + "' '" + clip + "'";
  // `script` runs the command on a pseudo-terminal of its own.
  CliRun run = Run({"/usr/bin/script", "-q", "-e", "-c", command, "/dev/null"});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_TRUE(run.Has("\x1b[?25l")) << run.output;           // cursor hidden while drawing
  EXPECT_TRUE(run.Has("\x1b[?25h")) << run.output;           // and shown again
  EXPECT_TRUE(run.Has("\r\x1b[2A")) << run.output;           // frames of two lines redrawn in place
  EXPECT_TRUE(run.Has("Total [")) << run.output;
  EXPECT_TRUE(run.Has("100.0%  1 done of 1")) << run.output;
  EXPECT_FALSE(run.Has("t.avi: running ->")) << run.output;  // no plain lines on a terminal
  EXPECT_TRUE(run.Has("Converted 1 of 1 file.")) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"t.mp4"}));
}

#if CW_GUI_BUILT
// The process id of the program `path` while it runs, or 0.
int RunningProgram(const std::string& path) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string program;
    std::getline(in, program, '\0');
    if (program == path) return std::atoi(entry.path().filename().c_str());
  }
  return 0;
}

TEST_F(ClipwrightCliTest, WindowQueuesTheFilesItIsOpenedWith) {
  // A program folder of its own, so that its settings (and output folder) are the test's.
  std::string prog = dir_.File("prog");
  fs::create_directories(prog);
  for (const char* name : {"clipwright", "data.dat", "app.ico"}) fs::copy_file(kBuild + "/" + name, prog + "/" + name);
  fs::copy(kBuild + "/htm", prog + "/htm", fs::copy_options::recursive);
  fs::create_symlink(fs::read_symlink(kBuild + "/xenc"), prog + "/xenc");
  std::string out = dir_.File("out");
  dir_.Write("prog/config.ini", "{\"targetDevice\": \"1\",\"outputQuality\": \"Low\",\"outputDir\": \"" + out +
                                    "\",\"conTasks\": 2,\"needShutdown\": 0}");
  // The third name's bytes FF FE are not UTF-8: its output carries them too.
  std::string a = MakeClip("a.avi"), b = MakeClip("b b.avi"), c = MakeClip("\xFF\xFE.avi");

  bool converted = false;
  std::thread closer([&] {
    // All files converted: no encoder of the test is left and every output
    // has its final name (a partial file has another).
    const std::vector<std::string> finished = {"a.mp4", "b b.mp4", "\xFF\xFE.mp4"};
    for (int i = 0; i < 1200 && !converted; ++i) {
      std::this_thread::sleep_for(50ms);
      converted = FilesIn(out) == finished && RunningProgram(prog + "/xenc") == 0 && IsMp4(out + "/a.mp4");
    }
    // Closing the window by a signal lets xvfb-run and the session bus end in order.
    for (int i = 0; i < 200; ++i) {
      if (int pid = RunningProgram(prog + "/clipwright")) {
        Run({"/usr/bin/kill", "-TERM", std::to_string(pid)});
        return;
      }
      std::this_thread::sleep_for(50ms);
    }
  });
  CliRun run = Run({"/usr/bin/env", "HOME=" + dir_.path(), "XDG_CONFIG_HOME=" + dir_.File("config"),
                    "/usr/bin/dbus-run-session", "--", "/usr/bin/xvfb-run", "-a", prog + "/clipwright", a, b, c});
  closer.join();
  EXPECT_TRUE(converted) << run.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"a.mp4", "b b.mp4", "\xFF\xFE.mp4"})) << run.output;
  EXPECT_TRUE(IsMp4(out + "/b b.mp4"));
  EXPECT_TRUE(IsMp4(out + "/\xFF\xFE.mp4"));
}
#endif

TEST_F(ClipwrightCliTest, InstalledIntoAPrefixRuns) {
  // The build's install script, run as `cmake --install BUILD --prefix DIR`
  // runs it, except that its list of installed files (which it would write
  // into the build folder) goes to the test's folder.
  std::ifstream script_in(kBuild + "/cmake_install.cmake");
  std::string script((std::istreambuf_iterator<char>(script_in)), std::istreambuf_iterator<char>());
  const std::string manifest_write = "file(WRITE \"" + kBuild + "/${CMAKE_INSTALL_MANIFEST}\"";
  size_t at = script.find(manifest_write);
  ASSERT_NE(at, std::string::npos) << "the install script no longer writes its list where expected";
  script.replace(at, manifest_write.size(), "file(WRITE \"" + dir_.File("install_manifest.txt") + "\"");
  dir_.Write("cmake_install.cmake", script);
  std::string prefix = dir_.File("prefix");
  CliRun install = Run({"/usr/bin/env", "DESTDIR=", CW_CMAKE, "-DCMAKE_INSTALL_PREFIX=" + prefix, "-P",
                        dir_.File("cmake_install.cmake")});
  ASSERT_EQ(install.exit_code, 0) << install.output;
  EXPECT_NE(dir_.Read("install_manifest.txt").find(prefix + "/bin/clipwright-cli"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(prefix + "/bin/clipwright-cli"));
  EXPECT_TRUE(fs::is_regular_file(prefix + "/share/clipwright/data.dat"));
  EXPECT_EQ(fs::read_symlink(prefix + "/libexec/clipwright/xenc").filename(), "ffmpeg");
#if CW_GUI_BUILT
  EXPECT_TRUE(fs::is_regular_file(prefix + "/bin/clipwright"));
  EXPECT_TRUE(fs::is_regular_file(prefix + "/share/clipwright/app.ico"));
  EXPECT_TRUE(fs::is_regular_file(prefix + "/share/clipwright/htm/index.htm"));
  EXPECT_TRUE(fs::is_regular_file(prefix + "/share/icons/hicolor/scalable/apps/clipwright.svg"));
  EXPECT_TRUE(fs::is_regular_file(prefix + "/share/metainfo/io.github.clipwright.Clipwright.metainfo.xml"));
  const std::string entry_file = prefix + "/share/applications/io.github.clipwright.Clipwright.desktop";
  std::ifstream entry_in(entry_file);
  std::string entry((std::istreambuf_iterator<char>(entry_in)), std::istreambuf_iterator<char>());
  EXPECT_NE(entry.find("Exec=\"" + prefix + "/bin/clipwright\" %F\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=video/mp4;"), std::string::npos) << entry;
  EXPECT_NE(entry.find("video/x-matroska;"), std::string::npos) << entry;
  CliRun valid = Run({"/usr/bin/desktop-file-validate", entry_file});
  EXPECT_EQ(valid.exit_code, 0) << valid.output;
#endif

  // The installed program takes its defaults from the user's settings file
  // and writes nothing into its own folders.
  std::string config = dir_.File("config");
  fs::create_directories(config + "/clipwright");
  dir_.Write("config/clipwright/config.ini",
             "{\"targetDevice\": \"9\",\"outputQuality\": \"Low\",\"outputDir\": \"" + dir_.File("out") +
                 "\",\"conTasks\": 1,\"needShutdown\": 0}");
  std::string clip = MakeClip("i.avi");
  CliRun run = Run({"/usr/bin/env", "HOME=" + dir_.path(), "XDG_CONFIG_HOME=" + config,
                    prefix + "/bin/clipwright-cli", clip});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(FilesIn(dir_.File("out")), (std::vector<std::string>{"i.mp4"}));
  EXPECT_EQ(FilesIn(prefix + "/bin").size(), fs::exists(prefix + "/bin/clipwright") ? 2u : 1u);
}

}  // namespace
}  // namespace cw
