// clipwright-cli run as a process with the real encoder on clips the tests
// generate: conversions and their names, exit statuses, the plain and the
// terminal output, orderly stops on signals, and an installed copy.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
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

// The programs speak English here whatever the machine's language, unless a
// test gives them one: the tests compare English texts.
const bool kEnglish = [] {
  setenv("LC_ALL", "C", 1);
  unsetenv("LANGUAGE");
  return true;
}();

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
    fs::create_directories(fs::path(path).parent_path());
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

  // A program folder of the test's own (the program, its catalog, the
  // encoder link and settings that write into `out`), so that no run reads
  // or writes the build folder's config.ini.
  std::string ProgramFolder(const std::string& out, int jobs = 2) {
    std::string prog = dir_.File("prog");
    if (fs::exists(prog + "/clipwright-cli")) return prog;
    fs::create_directories(prog);
    for (const char* name : {"clipwright-cli", "data.dat"}) fs::copy_file(kBuild + "/" + name, prog + "/" + name);
    fs::create_symlink(fs::read_symlink(kBuild + "/xenc"), prog + "/xenc");
    fs::create_directory_symlink(kBuild + "/locale", prog + "/locale");  // the translations beside the program
    dir_.Write("prog/config.ini", "{\"targetDevice\": \"1\",\"outputQuality\": \"Low\",\"outputDir\": \"" + out +
                                      "\",\"conTasks\": " + std::to_string(jobs) + ",\"needShutdown\": 0}");
    return prog;
  }

  // The command line of the program folder's copy, with a home of the test's own.
  std::vector<std::string> OwnCli(const std::string& out, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"/usr/bin/env", "HOME=" + dir_.path(), "XDG_CONFIG_HOME=" + dir_.File("config"),
                                     ProgramFolder(out) + "/clipwright-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
  }

  // The JSON objects of the lines that start with '{'; a line that does not
  // parse fails the test.
  static std::vector<nlohmann::json> EventsOf(const std::string& output) {
    std::vector<nlohmann::json> events;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.empty() || line[0] != '{') continue;
      nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
      EXPECT_FALSE(event.is_discarded()) << line;
      if (!event.is_discarded()) events.push_back(event);
    }
    return events;
  }

  // The sources named by the events `kind`.
  static std::set<std::string> SourcesOf(const std::vector<nlohmann::json>& events, const std::string& kind) {
    std::set<std::string> sources;
    for (const auto& e : events) {
      if (e.value("event", "") == kind) sources.insert(e.value("source", ""));
    }
    return sources;
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

// kill -9 leaves no broken file under a final name: what the encoders had
// written is in marked partial files, which the next run removes.
TEST_F(ClipwrightCliTest, KillNineLeavesNoBrokenVideoAndTheNextRunRemovesTheLeftovers) {
  std::string clip = MakeClip("long.avi", 20, "1280x720");
  std::string out = dir_.File("out");
  bool killed = false;
  CliRun run = Run(Cli({"--device", "8", "--quality", "High", "--output", out, "--jobs", "2", clip, clip}),
                   [&](const std::string& output, ChildProcess& cli) {
                     if (killed || output.find("(1).mp4\n") == std::string::npos) return;
                     for (int i = 0; i < 500 && FilesIn(out).size() < 2; ++i) std::this_thread::sleep_for(10ms);
                     killed = true;
                     Run({"/usr/bin/kill", "-KILL", std::to_string(cli.pid())});
                   });
  ASSERT_TRUE(killed) << run.output;
  // The encoders die with the program.
  for (int i = 0; i < 200 && !cw::testing::NoProcessMentions(out); ++i) std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(cw::testing::NoProcessMentions(out));
  const std::vector<std::string> left = FilesIn(out);
  EXPECT_EQ(left, (std::vector<std::string>{"long(1).mp4.clipwright-partial", "long.mp4.clipwright-partial"}));
  for (const std::string& name : left) EXPECT_EQ(name.find(".mp4", name.size() - 4), std::string::npos) << name;

  std::string quick = MakeClip("quick.avi");
  CliRun again = Run(Cli({"--device", "1", "--quality", "Low", "--output", out, quick}));
  EXPECT_EQ(again.exit_code, 0) << again.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"quick.mp4"}));
  EXPECT_TRUE(IsMp4(out + "/quick.mp4"));
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
  EXPECT_TRUE(run.Has("      Low     320x180    video up to 300 kbit/s, audio 64 kbit/s\n")) << run.output;
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

// Whatever was asked and could not be converted, the run never ends with 0
// and says why; a pipe, which would block the encoder for ever, is never
// opened.
TEST_F(ClipwrightCliTest, WhatCannotBeConvertedIsSaidAndNeverExitsZero) {
  std::string out = dir_.File("out");
  fs::create_directories(dir_.File("pipes"));
  ASSERT_EQ(mkfifo(dir_.File("pipes/live.avi").c_str(), 0600), 0);
  std::string too_long = dir_.path();
  while (too_long.size() <= 4096) too_long += "/" + std::string(200, 'd');
  const std::string not_regular = "it is not a regular file (a pipe, a device or a socket)";
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{dir_.File("pipes/live.avi")}, 2, "cannot convert " + dir_.File("pipes/live.avi") + ": " + not_regular},
      {{too_long + "/clip.avi"}, 2, "cannot convert " + too_long + "/clip.avi: File name too long"},
      {{dir_.File("pipes")}, 1, "left out " + dir_.File("pipes/live.avi") + ": " + not_regular},
      {{"-r", dir_.File("pipes")}, 1, "left out " + dir_.File("pipes/live.avi") + ": " + not_regular},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--device", "1", "--quality", "Low", "--output", out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    CliRun run = Run(Cli(args));
    EXPECT_EQ(run.exit_code, c.exit_code) << run.output;
    EXPECT_TRUE(run.Has("clipwright-cli: " + c.message)) << run.output;
  }
  EXPECT_TRUE(FilesIn(out).empty());
}

// A damaged catalog is named as the fault, with a status that says so,
// for a listing as for a conversion.
TEST_F(ClipwrightCliTest, ADamagedCatalogIsSaidAndNeverExitsZero) {
  std::string out = dir_.File("out");
  std::string clip = MakeClip("c.avi");
  ProgramFolder(out);
  dir_.Write("prog/data.dat", std::string(300, '\x5a'));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--list-devices"}, {clip}}) {
    CliRun run = Run(OwnCli(out, args));
    EXPECT_EQ(run.exit_code, 1) << run.output;
    EXPECT_TRUE(run.Has("clipwright-cli: the device catalog /")) << run.output;
    EXPECT_TRUE(run.Has("/prog/data.dat cannot be read (it is missing or damaged); reinstall the program\n"))
        << run.output;
    EXPECT_FALSE(run.Has("config.ini")) << run.output;
  }
  EXPECT_TRUE(FilesIn(out).empty());
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

// Every line on standard output is one JSON object of version 1; each file's
// events come as queued, started, progress..., then done or failed; progress
// comes at most once a second per file; the summary is last.
TEST_F(ClipwrightCliTest, EventsAreJsonLinesInTheDocumentedOrder) {
  std::string slow = MakeClip("slow.avi", 8, "1280x720");  // converts for a few seconds: progress lines
  std::string quick = MakeClip("quick \"q\".avi");
  dir_.Write("broken.avi", "this is no video at all\n");
  std::string out = dir_.File("out");
  CliRun run = Run(OwnCli(out, {"--events", "--device", "8", "--quality", "High", "--jobs", "3", slow, quick,
                                dir_.File("broken.avi")}));
  EXPECT_EQ(run.exit_code, 1) << run.output;
  std::vector<nlohmann::json> events = EventsOf(run.output);
  ASSERT_FALSE(events.empty()) << run.output;
  const std::map<std::string, int> rank = {{"queued", 0}, {"started", 1}, {"progress", 2},
                                           {"done", 3},   {"failed", 3},  {"stopped", 3}};
  std::map<std::string, int> last_rank;
  std::map<std::string, double> last_progress_time;
  std::map<std::string, std::string> end_of;
  int progress_lines = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    const auto& e = events[i];
    EXPECT_EQ(e.value("v", 0), 1) << e.dump();
    ASSERT_TRUE(e.contains("time") && e["time"].is_number()) << e.dump();
    std::string kind = e.value("event", "");
    if (kind == "summary") {
      EXPECT_EQ(i, events.size() - 1) << "the summary is the last line";
      EXPECT_EQ(e.value("total", -1), 3);
      EXPECT_EQ(e.value("converted", -1), 2);
      EXPECT_EQ(e.value("failed", -1), 1);
      EXPECT_EQ(e.value("skipped", -1), 0);
      EXPECT_EQ(e.value("signal", "?"), "");
      continue;
    }
    ASSERT_TRUE(rank.count(kind)) << e.dump();
    std::string id = e.value("id", "");
    ASSERT_FALSE(id.empty()) << e.dump();
    int previous = last_rank.count(id) ? last_rank[id] : -1;
    if (kind == "progress") {
      EXPECT_GE(previous, 1) << e.dump();
      EXPECT_LE(previous, 2) << e.dump();
      double t = e["time"].get<double>();
      if (last_progress_time.count(id)) {
        EXPECT_GE(t - last_progress_time[id], 0.999) << e.dump();
      }
      last_progress_time[id] = t;
      EXPECT_TRUE(e["percent"].is_number());
      ++progress_lines;
    } else if (kind == "queued" || kind == "started") {
      EXPECT_EQ(previous, rank.at(kind) - 1) << e.dump();
    } else {
      EXPECT_TRUE(previous == 1 || previous == 2) << e.dump();  // after started or progress
    }
    last_rank[id] = rank.at(kind);
    if (rank.at(kind) == 3) end_of[e.value("source", "")] = kind;
    if (kind == "failed") {
      EXPECT_FALSE(e.value("reason", "").empty()) << e.dump();
    }
    if (kind == "done") {
      EXPECT_TRUE(IsMp4(e.value("output", ""))) << e.dump();
    }
  }
  EXPECT_EQ(end_of, (std::map<std::string, std::string>{
                        {slow, "done"}, {quick, "done"}, {dir_.File("broken.avi"), "failed"}}));
  EXPECT_GT(progress_lines, 0) << run.output;  // the 4K run takes seconds
  EXPECT_TRUE(run.Has("Converted 2 of 3 files. 1 failed.")) << run.output;  // the report, on standard error
}

// Under a German locale the help, the plain lines and the closing report are
// German, while --events writes what it writes in English: the same events
// with the same members and values (times, ids and output folders aside), the
// failure reason included. LANGUAGE alone, under the "C" locale, changes
// nothing.
TEST_F(ClipwrightCliTest, GermanForPeopleTheEventsAsInEnglish) {
  const std::vector<std::string> german = {"LC_ALL=de_DE.UTF-8", "LANGUAGE=de"};
  auto in = [&](const std::vector<std::string>& env, std::vector<std::string> argv) {
    argv.insert(argv.begin() + 1, env.begin(), env.end());  // after /usr/bin/env
    return argv;
  };
  std::string out = dir_.File("out");
  CliRun help = Run(in(german, OwnCli(out, {"--help"})));
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.Has("Aufruf: clipwright-cli [OPTIONEN] DATEI|ORDNER...\n")) << help.output;
  EXPECT_TRUE(help.Has("  --device ID     das Ger\xc3\xa4t, f\xc3\xbcr das umgewandelt wird")) << help.output;
  EXPECT_TRUE(help.Has("Exit-Status:\n")) << help.output;
  EXPECT_TRUE(help.Has(" asf avi divx ")) << help.output;  // the extension list filled in
  EXPECT_FALSE(help.Has("%1")) << help.output;
  EXPECT_FALSE(help.Has("Usage:")) << help.output;
  CliRun usage = Run(in(german, OwnCli(out, {"--speed", "9", "x.avi"})));
  EXPECT_EQ(usage.exit_code, 2);
  EXPECT_TRUE(usage.Has("clipwright-cli: unbekannte Option '--speed'\nclipwright-cli: siehe 'clipwright-cli --help'\n"))
      << usage.output;
  CliRun english_help = Run(in({"LC_ALL=C", "LANGUAGE=de"}, OwnCli(out, {"--help"})));
  EXPECT_TRUE(english_help.Has("Usage: clipwright-cli [OPTIONS] FILE|FOLDER...\n")) << english_help.output;

  std::string clip = MakeClip("clip.avi");
  dir_.Write("broken.avi", "this is no video at all\n");
  auto events_of = [&](const std::vector<std::string>& env, const std::string& folder) {
    CliRun run = Run(in(env, OwnCli(out, {"--events", "--jobs", "1", "--output", dir_.File(folder), clip,
                                          dir_.File("broken.avi")})));
    EXPECT_EQ(run.exit_code, 1) << run.output;
    std::vector<std::string> kept;
    for (nlohmann::json e : EventsOf(run.output)) {
      if (e.value("event", "") == "progress") continue;  // as many as the run's pace gives
      e.erase("time");
      e.erase("id");
      if (e.contains("output")) e["output"] = fs::path(e.value("output", "")).filename().string();
      kept.push_back(e.dump());
    }
    std::sort(kept.begin(), kept.end());
    return std::make_pair(kept, run);
  };
  auto [english_events, english_run] = events_of({"LC_ALL=C"}, "out-en");
  auto [german_events, german_run] = events_of(german, "out-de");
  EXPECT_EQ(german_events, english_events) << german_run.output;
  auto has_kind = [&](const std::string& kind) {
    return std::any_of(english_events.begin(), english_events.end(),
                       [&](const std::string& e) { return e.find("\"event\":\"" + kind + "\"") != std::string::npos; });
  };
  EXPECT_TRUE(has_kind("done") && has_kind("failed") && has_kind("summary")) << english_run.output;
  EXPECT_TRUE(english_run.Has("Converted 1 of 2 files. 1 failed.")) << english_run.output;
  EXPECT_TRUE(german_run.Has("1 von 2 Dateien umgewandelt. 1 fehlgeschlagen.")) << german_run.output;
  EXPECT_TRUE(german_run.Has("Fehlgeschlagen: broken.avi")) << german_run.output;

  // The plain lines of a run off a terminal.
  CliRun plain = Run(in(german, OwnCli(out, {"--output", dir_.File("out-plain"), clip})));
  EXPECT_EQ(plain.exit_code, 0) << plain.output;
  EXPECT_TRUE(plain.Has("clip.avi: l\xc3\xa4uft -> ")) << plain.output;
  EXPECT_TRUE(plain.Has("clip.avi: fertig")) << plain.output;
  EXPECT_TRUE(plain.Has("1 von 1 Datei umgewandelt.")) << plain.output;
}

// A run stopped by SIGINT, run again with --skip-existing, converts only what
// is missing: complete outputs are left alone, an output that is not a video
// is not taken as complete.
TEST_F(ClipwrightCliTest, SkipExistingAfterAnInterruptionConvertsOnlyTheRest) {
  std::string a = MakeClip("in/a.avi"), b = MakeClip("in/b.avi"), c = MakeClip("in/c.avi", 3);
  std::string d = MakeClip("in/d.avi"), e = MakeClip("in/e.avi");
  std::string out = dir_.File("out");
  ProgramFolder(out, 1);
  bool sent = false;
  CliRun first = Run(OwnCli(out, {"--skip-existing", "--device", "8", "--quality", "High", dir_.File("in")}),
                     [&](const std::string& output, ChildProcess& cli) {
                       if (sent || output.find("c.avi: running") == std::string::npos) return;
                       sent = true;
                       Run({"/usr/bin/kill", "-INT", std::to_string(cli.pid())});
                     });
  ASSERT_TRUE(sent) << first.output;
  EXPECT_EQ(first.exit_code, 130) << first.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"a.mp4", "b.mp4"})) << first.output;
  dir_.Write("out/d.mp4", "not a video");  // e.g. left by something else
  dir_.Write("out/e.mp4", "");  // an empty file is replaced, not kept beside a numbered name

  CliRun again = Run(OwnCli(out, {"--events", "--skip-existing", "--device", "8", "--quality", "High",
                                  dir_.File("in")}));
  EXPECT_EQ(again.exit_code, 0) << again.output;
  std::vector<nlohmann::json> events = EventsOf(again.output);
  EXPECT_EQ(SourcesOf(events, "skipped"), (std::set<std::string>{a, b})) << again.output;
  EXPECT_EQ(SourcesOf(events, "done"), (std::set<std::string>{c, d, e})) << again.output;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4", "d(1).mp4", "d.mp4", "e.mp4"}));
  EXPECT_TRUE(again.Has(out + "/d.mp4 is not complete (the output is empty or unreadable)")) << again.output;
  EXPECT_TRUE(again.Has("Converted 3 of 3 files.\nSkipped 2 files whose output was already complete.\n"))
      << again.output;
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().value("skipped", -1), 2);

  // Everything complete: nothing runs, and that is a success.
  CliRun third = Run(OwnCli(out, {"--skip-existing", "--device", "8", "--quality", "High", a, b, c}));
  EXPECT_EQ(third.exit_code, 0) << third.output;
  EXPECT_TRUE(third.Has("Converted 0 of 0 files.\nSkipped 3 files whose output was already complete.\n"))
      << third.output;
}

TEST_F(ClipwrightCliTest, ShardsAreDisjointAndCoverTheList) {
  std::vector<std::string> clips;
  for (int i = 0; i < 7; ++i) clips.push_back(MakeClip("in/clip" + std::to_string(i) + ".avi"));
  std::string out = dir_.File("out");
  std::set<std::string> all;
  for (int k = 1; k <= 3; ++k) {
    CliRun run = Run(OwnCli(out, {"--events", "--shard", std::to_string(k) + "/3", dir_.File("in")}));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    std::set<std::string> mine = SourcesOf(EventsOf(run.output), "done");
    std::set<std::string> expected;
    for (size_t i = static_cast<size_t>(k - 1); i < clips.size(); i += 3) expected.insert(clips[i]);
    EXPECT_EQ(mine, expected) << run.output;  // every third of the sorted list, from the k-th
    for (const auto& source : mine) EXPECT_TRUE(all.insert(source).second) << source << " in two shards";
  }
  EXPECT_EQ(all, std::set<std::string>(clips.begin(), clips.end()));
  EXPECT_EQ(FilesIn(out).size(), 7u);

  // Two sources that would share an output name cannot be sharded.
  MakeClip("in/clip0.mkv");
  CliRun refused = Run(OwnCli(dir_.File("out2"), {"--shard", "1/2", dir_.File("in")}));
  EXPECT_EQ(refused.exit_code, 2) << refused.output;
  EXPECT_TRUE(refused.Has("--shard cannot share out " + dir_.File("in/clip0.avi") + " and " +
                          dir_.File("in/clip0.mkv")))
      << refused.output;
  EXPECT_FALSE(fs::exists(dir_.File("out2")));
  CliRun bad = Run(OwnCli(out, {"--shard", "4/3", dir_.File("in")}));
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_TRUE(bad.Has("--shard needs K/N")) << bad.output;
}

TEST_F(ClipwrightCliTest, RecursiveKeepsTheFolderLayout) {
  MakeClip("lib/top.avi");
  MakeClip("lib/2019/clip.avi");
  MakeClip("lib/2020/trip/clip.AVI");
  MakeClip("lib/.cache/hidden.avi");
  dir_.Write("lib/2019/notes.txt", "not a video");
  dir_.Write("lib/2019/cover.jpg", "not a video either");
  std::string out = dir_.File("out");
  // What a killed earlier run left in a subfolder goes too.
  dir_.Write("out/2019/clip.mp4.clipwright-partial", "partial");
  CliRun run = Run(OwnCli(out, {"--recursive", dir_.File("lib")}));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_TRUE(run.Has("Converted 3 of 3 files.")) << run.output;
  EXPECT_TRUE(IsMp4(out + "/top.mp4"));
  EXPECT_TRUE(IsMp4(out + "/2019/clip.mp4"));
  EXPECT_TRUE(IsMp4(out + "/2020/trip/clip.mp4"));
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"2019", "2020", "top.mp4"}));
  EXPECT_EQ(FilesIn(out + "/2019"), std::vector<std::string>{"clip.mp4"});
}

// The live display under a pseudo-terminal of 80 and of 60 columns: each
// running line keeps its remaining time and expected size, bars keep one
// width, files of the same name show their folders, and the report names
// every failed file even when the terminal is too short to show it.
TEST_F(ClipwrightCliTest, LiveDisplayKeepsItsColumnsAt80And60) {
  std::string long_name = "a-rather-long-name-of-a-holiday-film-from-the-summer.avi";
  MakeClip("in/2019/" + long_name, 20);
  MakeClip("in/2020/" + long_name, 20);
  dir_.Write("in/broken.avi", "no video");
  for (int i = 0; i < 2; ++i) MakeClip("in/w" + std::to_string(i) + ".avi");
  for (int columns : {80, 60}) {
    std::string out = dir_.File("out" + std::to_string(columns));
    std::string command = "stty cols " + std::to_string(columns) + " rows 6; exec /usr/bin/env HOME=" + dir_.path() +
                          " " + ProgramFolder(out) + "/clipwright-cli --recursive --device 1 --quality Low " +
                          "--output '" + out + "' '" + dir_.File("in") + "'";
    CliRun run = Run({"/usr/bin/script", "-q", "-e", "-c", command, "/dev/null"});
    EXPECT_EQ(run.exit_code, 1) << run.output;
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = run.output.find("\x1b[K", at)) != std::string::npos; at = end + 3) {
      size_t start = run.output.rfind('\n', end);
      start = start == std::string::npos || start < at ? at : start + 1;
      std::string line = run.output.substr(start, end - start);
      size_t esc;
      while ((esc = line.find('\x1b')) != std::string::npos) line.erase(esc, line.find_first_of("AlhJK", esc) - esc + 1);
      if (!line.empty() && line[0] == '\r') line.erase(0, 1);
      lines.push_back(line);
    }
    bool saw_estimates = false, saw_2019 = false, saw_2020 = false;
    std::set<size_t> bar_ends;
    for (const auto& line : lines) {
      std::wstring wide = SystemToWide(line);
      EXPECT_LE(wide.size(), static_cast<size_t>(columns - 1)) << line;
      if (line.find("2019/a-") != std::string::npos) saw_2019 = true;
      if (line.find("2020/a-") != std::string::npos) saw_2020 = true;
      if (line.find(" running") != std::string::npos && line.find("minute") != std::string::npos) {
        saw_estimates = true;
      }
      if (line.rfind("Total", 0) != 0 && line.find(']') != std::string::npos) bar_ends.insert(wide.find(L']'));
    }
    EXPECT_TRUE(saw_estimates) << columns << "\n" << run.output;
    EXPECT_TRUE(saw_2019 && saw_2020) << columns << "\n" << run.output;
    EXPECT_LE(bar_ends.size(), 1u) << columns;  // every task's bar ends in the same column
    EXPECT_TRUE(run.Has("Failed: broken.avi  (" + dir_.File("in/broken.avi") + ")")) << run.output;
  }
}

// The GNU parallel line of docs/scale-out.md, run here as it is written: six
// clips in three shards side by side, every output made once.
TEST_F(ClipwrightCliTest, TheDocumentedGnuParallelLineConvertsEveryClip) {
  std::ifstream doc(std::string(CW_SOURCE_DIR) + "/docs/scale-out.md");
  std::string line, command;
  while (std::getline(doc, line)) {
    if (line.rfind("parallel --line-buffer clipwright-cli ", 0) == 0) command = line;
  }
  ASSERT_FALSE(command.empty()) << "docs/scale-out.md has no local GNU parallel line";
  for (int i = 0; i < 6; ++i) MakeClip("lib/film " + std::to_string(i) + ".avi");
  std::string out = dir_.File("out");
  std::string prog = ProgramFolder(out);
  CliRun run = Run({"/usr/bin/env", "HOME=" + dir_.path(), "PATH=" + prog + ":/usr/bin:/bin", "IN=" + dir_.File("lib"),
                    "OUT=" + out, "/bin/bash", "-c", command});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  std::vector<nlohmann::json> events = EventsOf(run.output);
  EXPECT_EQ(SourcesOf(events, "done").size(), 6u) << run.output;
  int summaries = 0;
  for (const auto& e : events) summaries += e.value("event", "") == "summary" ? 1 : 0;
  EXPECT_EQ(summaries, 3);
  std::vector<std::string> expected;
  for (int i = 0; i < 6; ++i) expected.push_back("film " + std::to_string(i) + ".mp4");
  EXPECT_EQ(FilesIn(out), expected);
  for (const auto& name : FilesIn(out)) EXPECT_TRUE(IsMp4(out + "/" + name)) << name;
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
