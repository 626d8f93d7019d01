// stand_in: a small program for process-level tests, built for every system
// by its own toolchain (so a Windows build tests with a Windows program).
//
//   stand_in --echo ARGS...   prints each argument as [ARG], exits 0
//   stand_in --exit N         exits with status N
//   stand_in --busy           prints "busy", then burns processor time for ever,
//                             printing a '.' after every 10 ms of it (a count of
//                             its work that a frozen process cannot advance)
//   stand_in --spawn          starts `stand_in --busy` itself, prints "child PID", sleeps
//   anything else             behaves like the encoder, see below
//
// As the encoder it is called like the real one:
//   xenc -i INPUT -codec:v libx264 -y [OPTIONS...] OUTPUT
// INPUT is a small text file of KEY=VALUE lines that says how to behave:
//   frames=N   frames to "encode" (default 50)
//   fps=N      frame rate it reports (default 25)
//   pace=S     seconds between status lines, fractions allowed (default 0.02; 0: none)
//   exit=N     exit status at the end (default 0)
//   stop=N     ends after frame N with an error line, no trailer and status `exit`
//   mode=M     normal | hang (no output after the header, never ends) |
//              busy (burns processor time between frames) | stdin (reads its
//              standard input first and reports how many bytes came) |
//              crash (ends itself with SIGSEGV halfway) | nooutput | text
//   work=N     microseconds of processor time per frame in busy mode (default 20000)
//   accents=N  prints N two-byte characters (U+00E9) at once after the banner
//   chatter=N  prints N bytes of warning lines after the header, all at once
//   subtitles=C,C  lists subtitle tracks of these codecs after the picture
// The OUTPUT file begins with a 32-byte MP4 skeleton (ftyp, an empty moov and
// an mdat that runs to the end of the file), then receives one "arg: X" line
// per argument, one line per frame, then "complete". mode=nooutput removes
// OUTPUT just before exiting; mode=text writes the lines without the skeleton.
// Called with "-i SOURCE" and no output it lists the source and exits 1.
// Given "-fpsmax N" below its fps it drops frames as the real one does: it
// writes and counts N frames a second of the source.
// The same protocol as src/tasks/testdata/fake_encoder.sh.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/program_start.h"
#include "platform/text.h"

namespace {

using Args = std::vector<std::string>;

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void BurnMicroseconds(long long us) {
  auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
  volatile unsigned long spin = 0;
  while (std::chrono::steady_clock::now() < end) {
    for (int i = 0; i < 1000; ++i) spin = spin + 1;
  }
}

[[noreturn]] void SleepForEver() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

int Spawn() {
  std::wstring self = cw::ProgramFolder() + L"stand_in" + cw::ExecutableSuffix();
  cw::ChildProcess::StartError error;
  auto child = cw::ChildProcess::Start({self, L"--busy"}, &error);
  if (!child) {
    Print("cannot start: " + error.reason + "\n");
    return 1;
  }
  Print("child " + std::to_string(child->pid()) + "\n");
  SleepForEver();
}

std::string TwoDigits(long long n) { return (n < 10 ? "0" : "") + std::to_string(n); }

class OutputFile {
 public:
  explicit OutputFile(std::wstring path) : path_(std::move(path)) {}
  bool Append(const std::string& bytes) {
    content_ += bytes;
    return cw::WriteFileBytes(path_, content_);
  }
  void Remove() { cw::DeleteFile(path_); }

 private:
  std::wstring path_;
  std::string content_;
};

int Encode(const Args& args) {
  std::map<std::string, std::string> how = {{"frames", "50"}, {"fps", "25"}, {"pace", "0.02"}, {"exit", "0"}, {"stop", "0"},
                                            {"mode", "normal"}, {"work", "20000"}, {"accents", "0"}, {"chatter", "0"},
                                            {"subtitles", ""}};
  std::string input, output, fpsmax;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0 && args[i - 1] == "-i") input = args[i];
    if (i > 0 && args[i - 1] == "-fpsmax") fpsmax = args[i];
    output = args[i];
  }
  std::string text;
  if (!input.empty() && cw::ReadFileBytes(cw::SystemToWide(input), &text)) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      size_t eq = line.find('=');
      if (eq != std::string::npos) how[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  const long long frames = std::atoll(how["frames"].c_str()), fps = std::max(1LL, std::atoll(how["fps"].c_str()));
  const double pace = std::atof(how["pace"].c_str());
  const std::string mode = how["mode"];

  Print("ffmpeg version 0.0-fake Copyright (c) 2000-2026 the test authors\n");
  for (int i = 0; i < 24; ++i) {
    Print("  configuration: --enable-fake-option-" + std::to_string(i) + " --enable-another-fake-option-" +
          std::to_string(i) + " --disable-nothing\n");
  }
  long long accents = std::atoll(how["accents"].c_str());
  if (accents > 0) {
    std::string line;
    for (long long i = 0; i < accents; ++i) line += "\xc3\xa9";
    Print(line + "\n");
  }
  if (mode == "stdin") {
    long long got = 0;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) got += static_cast<long long>(n);
    Print("stdin bytes: " + std::to_string(got) + "\n");
  }
  long long secs = frames / fps, hundredths = (frames % fps) * 100 / fps;
  Print("Input #0, avi, from '" + input + "':\n");
  Print("  Duration: " + TwoDigits(secs / 3600) + ":" + TwoDigits(secs / 60 % 60) + ":" + TwoDigits(secs % 60) + "." +
        TwoDigits(hundredths) + ", start: 0.000000, bitrate: 1200 kb/s\n");
  std::string f = std::to_string(fps);
  Print("    Stream #0:0: Video: mpeg4 (Simple Profile), yuv420p, 320x240, 1100 kb/s, " + f + " fps, " + f + " tbr, " +
        f + " tbn, " + f + " tbc\n");
  std::istringstream codecs(how["subtitles"]);
  std::string codec;
  for (int track = 1; std::getline(codecs, codec, ',');) {
    if (!codec.empty()) Print("    Stream #0:" + std::to_string(track++) + ": Subtitle: " + codec + "\n");
  }
  if (output == input) {
    // Only "-i SOURCE": a listing of the source, as the real one gives it.
    Print("At least one output file must be specified\n");
    return 1;
  }
  Print("Output #0, mp4, to '" + output + "':\n");
  OutputFile out(cw::SystemToWide(output));
  static const char kSkeleton[] = "\0\0\0\x10" "ftypisom\0\0\x02\0" "\0\0\0\x08" "moov" "\0\0\0\0" "mdat";
  if (!out.Append(mode != "text" ? std::string(kSkeleton, 32) : std::string())) return 1;
  long long chatter = std::atoll(how["chatter"].c_str());
  if (chatter > 0) {
    const std::string warning = "[mpeg4 @ 0x5610] ac-tex damaged at 12 7, concealing 42 DC errors\n";
    std::string all;
    while (static_cast<long long>(all.size()) < chatter) all += warning;
    Print(all.substr(0, static_cast<size_t>(chatter)));
  }
  std::string arg_lines;
  for (const auto& a : args) arg_lines += "arg: " + a + "\n";
  out.Append(arg_lines);
  if (mode == "hang") SleepForEver();

  long long out_fps = fps, out_frames = frames;
  if (!fpsmax.empty() && std::atoll(fpsmax.c_str()) < fps) {
    out_fps = std::max(1LL, std::atoll(fpsmax.c_str()));
    out_frames = frames * out_fps / fps;
  }
  const long long work = std::atoll(how["work"].c_str());
  for (long long frame = 1; frame <= out_frames; ++frame) {
    if (mode == "busy") BurnMicroseconds(work);
    out.Append("frame " + std::to_string(frame) + "\n");
    char status[160];
    std::snprintf(status, sizeof status,
                  "frame=%5lld fps=%lld q=28.0 size=%8lldkB time=00:%02lld:%02lld.%02lld bitrate= 512.0kbits/s speed=1.0x\r",
                  frame, out_fps, frame * 2, frame / out_fps / 60 % 60, frame / out_fps % 60,
                  (frame % out_fps) * 100 / out_fps);
    Print(status);
    if (mode == "crash" && frame >= out_frames / 2) std::raise(SIGSEGV);
    const long long stop = std::atoll(how["stop"].c_str());
    if (stop > 0 && frame >= stop) {
      Print("\nError while encoding frame " + std::to_string(frame) + "\n");
      return std::atoi(how["exit"].c_str());
    }
    if (pace > 0) std::this_thread::sleep_for(std::chrono::duration<double>(pace));
  }
  Print("\nvideo:100kB audio:0kB subtitle:0kB\n");
  out.Append("complete\n");
  if (mode == "nooutput") out.Remove();
  return std::atoi(how["exit"].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const Args args = cw::StartProgram(argc, argv);
  if (!args.empty() && args[0] == "--echo") {
    std::string all;
    for (size_t i = 1; i < args.size(); ++i) all += "[" + args[i] + "]";
    Print(all);
    return 0;
  }
  if (args.size() == 2 && args[0] == "--exit") return std::atoi(args[1].c_str());
  if (!args.empty() && args[0] == "--busy") {
    Print("busy\n");
    for (;;) {
      BurnMicroseconds(10000);
      Print(".");
    }
  }
  if (!args.empty() && args[0] == "--spawn") return Spawn();
  return Encode(args);
}
