// Tests of the run verdict on logs shaped like the encoder's: the input
// listing decides what the source is and how long it is; the output's own
// duration how much of it was converted.
#include "analysis/run_verdict.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/progress_parser.h"

namespace cw {
namespace {

// A log of one run: the source's listing, the mapping, status lines.
std::wstring Log(const std::wstring& formats, const std::wstring& duration, const std::wstring& streams,
                 const std::wstring& final_time) {
  return L"ffmpeg version 5.1\n  built with gcc\nInput #0, " + formats + L", from '/in/clip':\n  Metadata:\n"
         L"    encoder         : Lavf59\n  Duration: " + duration + L", start: 0.000000, bitrate: 142 kb/s\n" +
         streams + L"Stream mapping:\n  Stream #0:0 -> #0:0 (mpeg4 (native) -> h264 (libx264))\n"
         L"Output #0, mp4, to '/out/clip.mp4':\n  Stream #0:0: Video: h264, yuv420p, 160x120\n"
         L"frame=    2 fps=0.0 q=0.0 size=       0kB time=00:00:00.06 bitrate=   5.5kbits/s speed=13x    \r"
         L"frame=   49 fps=0.0 q=-1.0 Lsize=      29kB time=" + final_time + L" bitrate= 123.7kbits/s speed=25.9x    \n"
         L"[libx264 @ 0x55] kb/s:95.27\n";
}

const std::wstring kVideo =
    L"  Stream #0:0: Video: mpeg4 (Simple Profile), yuv420p(tv, progressive), 160x120 [SAR 1:1 DAR 4:3], 25 fps, "
    L"25 tbr, 1k tbn\n";
const std::wstring kAudio = L"  Stream #0:1(eng): Audio: aac (LC), 44100 Hz, mono, fltp\n";
const std::wstring kCover =
    L"  Stream #0:1: Video: mjpeg (Baseline), yuvj420p(pc), 600x600 [SAR 1:1 DAR 1:1], 90k tbr, 90k tbn "
    L"(attached pic)\n";

TEST(RunVerdict, Table) {
  struct Case {
    const char* what;
    std::wstring log;
    std::wstring reason;
  } cases[] = {
      {"a whole conversion", Log(L"matroska,webm", L"00:00:04.02", kVideo + kAudio, L"00:00:04.00"), L""},
      {"music without a picture", Log(L"mp3", L"00:00:02.04", L"  Stream #0:0: Audio: mp3, 44100 Hz, mono\n",
                                      L"00:00:02.00"), kNoVideoStreamReason},
      {"music with a cover picture", Log(L"mov,mp4,m4a,3gp,3g2,mj2", L"00:00:02.04", kAudio + kCover,
                                         L"00:00:02.00"), kNoVideoStreamReason},
      {"a video with a cover picture", Log(L"mov,mp4,m4a,3gp,3g2,mj2", L"00:00:02.00", kVideo + kCover,
                                           L"00:00:02.00"), L""},
      {"a PNG", Log(L"png_pipe", L"N/A", L"  Stream #0:0: Video: png, rgb24(pc), 160x120, 25 tbr, 25 tbn\n",
                    L"00:00:00.00"), kStillImageReason},
      {"a JPEG", Log(L"image2", L"00:00:00.04", L"  Stream #0:0: Video: mjpeg, yuvj420p(pc), 160x120, 25 tbn\n",
                     L"00:00:00.04"), kStillImageReason},
      {"a reader named like an image but not one", Log(L"imagex", L"00:00:02.00", kVideo, L"00:00:02.00"), L""},
      {"no listing: the source was not opened",
       L"ffmpeg version 5.1\n/in/broken.avi: Invalid data found when processing input\n",
       kSourceUnreadableReason},
      {"an empty log", L"", kSourceUnreadableReason},
  };
  for (const auto& c : cases) EXPECT_EQ(RunVerdict(c.log), c.reason) << c.what;
}

TEST(RunVerdict, OnlyTheSourcesListingCounts) {
  // The output's "Video:" line and a file name that reads like a listing do
  // not make an audio source a video.
  std::wstring log = Log(L"mp3", L"00:00:02.00", L"  Stream #0:0: Audio: mp3, 44100 Hz, mono\n", L"00:00:02.00");
  EXPECT_NE(log.find(L"Output #0"), std::wstring::npos);
  EXPECT_EQ(RunVerdict(log), kNoVideoStreamReason);
  std::wstring odd_name = L"Input #0, avi, from '/in/x\n    Stream #0:0: Video: h264.avi':\n"
                          L"  Duration: 00:00:02.00, start: 0\n  Stream #0:0: Audio: mp3\n";
  EXPECT_EQ(RunVerdict(odd_name), kNoVideoStreamReason);
  // A listing line in the middle of another line is none.
  EXPECT_EQ(RunVerdict(L"warning: Input #0, avi, from 'x':\n  Stream #0:0: Video: h264\n"), kSourceUnreadableReason);
}

TEST(ParseStatusTimeMs, Table) {
  struct Case {
    std::wstring log;
    int32_t ms;
  } cases[] = {
      {L"frame=   49 fps=0.0 q=-1.0 Lsize=      29kB time=00:00:01.95 bitrate= 123.7kbits/s", 1950},
      {L"size=     123kB time=00:01:02.5 bitrate= 64.0kbits/s speed=40x", 62500},
      {L"frame= 1 time=01:00:00.1234 bitrate=1", 3600123},
      {L"frame= 1 time=123:00:00.00 bitrate=1", 442800000},
      {L"frame= 1 time=00:00:03 bitrate=1", 3000},
      {L"frame= 1 time=00:00:01.00 x\rframe= 2 time=00:00:02.00 x\r", 2000},
      {L"frame= 1 time=00:00:01.00 x\rframe= 2 ti", 1000},  // the newest line is still incomplete
      {L"frame= 1 time=N/A bitrate=N/A", -1},
      {L"frame= 1 time=-00:00:00.02 bitrate=N/A", -1},
      {L"frame= 1 time=00:00:0", -1},
      {L"frame= 1 time=00:00:01. x", -1},
      {L"frame= 1 time=00:0a:01.00 x", -1},
      {L"Input #0, avi, from '/in/time=00:00:09.00':\n", -1},  // not a status line
      {L"frame= 1 time=00:00:01.00 x\nInput #0, avi, from '/time=00:00:09.00'\n", 1000},
      {L"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseStatusTimeMs(c.log), c.ms) << std::string(c.log.begin(), c.log.end());
}

// The length of a run is judged from the output's own duration against the
// source's span: low frame rates and late first timestamps are no shortfall.
TEST(ShortOutputReason, Table) {
  struct Case {
    const char* what;
    int32_t output_ms, source_ms;
    std::wstring reason;
  } cases[] = {
      {"a whole conversion", 4000, 4020, L""},
      {"half of the source", 1950, 4020, L"the source ended early: 2.0 s of 4.0 s converted"},
      {"short by 4 % but less than half a second: fine", 9600, 10000, L""},
      {"short by half a second but less than 2 %: fine", 59000, 60000, L""},
      {"short by more than both", 58700, 60000, L"the source ended early: 58.7 s of 60.0 s converted"},
      {"longer output than source is fine", 2100, 2000, L""},
      {"an unknown source span is not judged", 500, -1, L""},
      {"an unknown output duration is not judged", -1, 4000, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortOutputReason(c.output_ms, c.source_ms), c.reason) << c.what;
}

TEST(ListedSpanMs, DurationLessALateStart) {
  auto listing = [](const std::wstring& duration_line) {
    return L"ffmpeg version 5.1\nInput #0, matroska,webm, from '/in/a.mkv':\n  Duration: " + duration_line +
           L"\n  Stream #0:0: Video: h264, yuv420p, 64x48, 25 fps\nframe=  51 time=00:00:02.04 x\n";
  };
  const struct {
    const char* what;
    std::wstring log;
    int32_t ms;
  } cases[] = {
      {"starts at zero", listing(L"00:00:30.00, start: 0.000000, bitrate: 8 kb/s"), 30000},
      {"an MKV whose timestamps start at 10,000 s", listing(L"02:46:42.00, start: 9999.977000, bitrate: 0 kb/s"),
       2023},
      {"an MP4 whose duration already leaves the start out", listing(L"00:00:30.00, start: 31.000000, bitrate: 1"),
       30000},
      {"no start", listing(L"00:00:05.00, bitrate: 1 kb/s"), 5000},
      {"no duration", listing(L"N/A, start: 1.000000, bitrate: N/A"), -1},
      {"no listing", L"/in/a.mkv: Invalid data found when processing input\n", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ListedSpanMs(c.log), c.ms) << c.what;
}

TEST(WriteFailure, AFullDiskIsNotTheSourcesFault) {
  EXPECT_EQ(WriteFailure(L"[mp4 @ 0x5] Error writing trailer of /o/a.mp4: No space left on device\n"), kDiskFullReason);
  EXPECT_EQ(WriteFailure(L"frame=  51 time=00:00:02.04 x\n"), L"");
}

}  // namespace
}  // namespace cw
