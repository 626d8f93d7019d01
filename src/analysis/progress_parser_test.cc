// Tests of the log parsers on hand-made logs: every sentinel, the newest-line
// rules, the encoder's newer stream and bit-rate layouts, and the per-chunk
// refresh with its 1500-character threshold.
#include "analysis/progress_parser.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace cw {
namespace {

const std::wstring kStatus100 =
    L"frame=  100 fps= 25 q=28.0 size=     256kB time=00:00:04.00 bitrate= 524.3kbits/s speed=1x    \r";
const std::wstring kHeader =
    L"Input #0, avi, from 'clip.avi':\n"
    L"  Duration: 00:01:30.50, start: 0.000000, bitrate: 754 kb/s\n"
    L"  Stream #0:0: Video: mpeg4 (Simple Profile), yuv420p, 320x240, 25 fps, 25 tbr, 25 tbn\n"
    L"  Stream #0:1: Audio: mp2, 44100 Hz, mono, s16p, 384 kb/s\n";

TEST(ProgressParser, LogsShorterThan16CharactersGiveEverySentinel) {
  // Only a status line can be that short; at 16 characters it is read.
  const std::wstring fifteen = L"frame=  7 fps=1";
  ASSERT_EQ(fifteen.size(), 15u);
  EXPECT_EQ(ParseFrameNumber(fifteen), -1);
  EXPECT_EQ(ParseFrameNumber(fifteen + L"0"), 7);
  EXPECT_EQ(ParseFrameRate(L", 25 tbr, 25 tbn"), 25);
  EXPECT_EQ(ParseBitrate(L" bitrate= 5kbits"), 5.0);

  const std::wstring empty;
  EXPECT_EQ(ParseFrameNumber(empty), -1);
  EXPECT_EQ(ParseFrameRate(empty), -1);
  EXPECT_EQ(ParseBitrate(empty), -1.0);
  EXPECT_EQ(ParseDurationText(empty), L"");
  EXPECT_EQ(ParseDurationMs(empty), -1);
  EXPECT_EQ(EstimateTotalFrames(empty), -1.0);
  EXPECT_EQ(EstimateOutputSizeKB(empty, 90500), -1.0);
}

TEST(ProgressParser, FrameNumberOfTheNewestStatusLine) {
  struct Case {
    std::wstring log;
    int32_t frame;
  };
  const Case cases[] = {
      {kHeader + kStatus100, 100},
      {kHeader + L"frame=   10 fps=0.0 q=0.0\r" + kStatus100, 100},
      {kHeader + kStatus100 + L"frame=  101 f", -1},          // the newest line is incomplete
      {kHeader + kStatus100 + L"frame=  101 fps=", 101},      // now it is complete
      {kHeader + L"frame=123456 fps=900", 123456},             // no padding at all
      {kHeader + L"frame=      fps=0.0 q=0", 0},               // only blanks: no digits gives 0
      {kHeader + L"frame=  12 34 fps=0.0 q=0", 12},           // digits up to the first other character
      {kHeader + L"frame=99999999999999999999fps=", 2147483647},  // 20 digits saturate
      {kHeader + L"frame=999999999999999999999fps=", -1},     // 21 characters do not match
      {kHeader + L"frame=  1x fps=0.0 q=0", -1},
      {kHeader + L"frame=frame=  5 fps=0.0 q=0", 5},         // only the newest "frame=" counts
      {kHeader + L"frame=  5 fps=0.0 frame=", -1},
      {kHeader, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseFrameNumber(c.log), c.frame) << WideToSystem(c.log);
}

TEST(ProgressParser, FrameRateOfTheFirstStreamLineWithTbr) {
  struct Case {
    std::wstring line;
    int32_t rate;
  };
  const Case cases[] = {
      // The encoder installed here ends the stream line after tbn.
      {L"Stream #0:0: Video: mpeg4, 25 fps, 25 tbr, 25 tbn\n", 25},
      {L"Stream #0:0: Video: h264, 25 fps, 25 tbr, 12800 tbn (default)\n", 25},
      {L"Stream #0:0: Video: h264, 29.97 fps, 29.97 tbr, 30k tbn\n", 29},
      // Older encoders add tbc; the result is the same.
      {L"Stream #0:0: Video: h264, 29.97 fps, 29.97 tbr, 30k tbn, 59.94 tbc\n", 29},
      {L"Stream #0:0: Video: h264, 25 tbr, 25 tbn, 50 tbc (default)\n", 25},
      {L"Stream #0:0: Video: mjpeg, 5 fps, 5 tbr, 5 tbn\n", -1},           // one character
      {L"Stream #0:0: Video: mjpeg, 0.5 fps, 0.5 tbr, 10 tbn\n", 0},       // integer part
      {L"Stream #0:0: Video: mjpeg, 1k tbr, 1k tbn\n", -1},                // not a number
      {L"Stream #0:0: Video: h264, 25 fps, 25 tbr\n", -1},                 // no tbn
      {L"Stream #0:0: Video: h264, 25 fps, 25 tbr, 1 tbn\n", -1},          // tbn too short
      {L"Stream #0:0: Video: h264, 60 fps, 60 tbr, 90k tbn\n"
       L"Stream #0:1: Video: h264, 30 fps, 30 tbr, 90k tbn\n", 60},        // the first line wins
      {L"Output #0: Stream #0:0: Video: h264, 25 fps, 12800 tbn\n", -1},  // output lines have no tbr
  };
  for (const Case& c : cases) EXPECT_EQ(ParseFrameRate(c.line), c.rate) << WideToSystem(c.line);
}

TEST(ProgressParser, DurationTextAndMilliseconds) {
  struct Case {
    std::wstring line;
    std::wstring text;
    int32_t ms;
  };
  const Case cases[] = {
      {L"  Duration: 00:01:30.50, start: 0.000000", L"00:01:30.50", 90500},
      {L"  Duration: 00:01:30.5, start: 0.0", L"00:01:30.5", 90500},
      {L"  Duration: 00:01:30.500, start: 0.0", L"00:01:30.500", 90500},
      {L"  Duration: 00:01:30.05, start: 0.0", L"00:01:30.05", 90050},
      {L"  Duration: 01:02:03.123, start: 0.0", L"01:02:03.123", 3723123},
      {L"  Duration: 99:59:59.999, start: 0.0", L"99:59:59.999", 359999999},
      {L"  Duration: 00:00:03.00, start: 0.0\n  Duration: 00:00:09.00, x", L"00:00:03.00", 3000},
      {L"  Duration: N/A, start: 0.000000, bitrate: N/A", L"", -1},
      {L"  Duration: Duration: 00:00:01.00, x", L"00:00:01.00", 1000},
      {L"  Duration: N/A\n" + std::wstring(5000, L'x') + L"Duration: 00:00:02.5,", L"00:00:02.5", 2500},
      {L"  Duration: 00:01:30.5000, start: 0.0", L"", -1},  // four fraction digits
      {L"  Duration: 00:01:30, start: 0.000000", L"", -1},  // no fraction
      {L"  Duration: 0:01:30.50, start: 0.000000", L"", -1},
      {L"  duration: 00:01:30.50, start: 0.000000", L"", -1},  // case matters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseDurationText(c.line), c.text) << WideToSystem(c.line);
    EXPECT_EQ(ParseDurationMs(c.line), c.ms) << WideToSystem(c.line);
  }
}

TEST(ProgressParser, TotalFramesFromRateAndWholeSeconds) {
  struct Case {
    std::wstring duration;
    std::wstring stream;
    double total;
  };
  const std::wstring k25 = L"Stream #0:0: Video: mpeg4, 25 fps, 25 tbr, 25 tbn\n";
  const Case cases[] = {
      {L"Duration: 00:01:30.50,\n", k25, 2250.0},  // the fraction does not count
      {L"Duration: 01:00:00.00,\n", L"Stream #0:0: Video: h264, 29.97 tbr, 30k tbn, 59.94 tbc\n", 104400.0},
      {L"Duration: N/A,\n", k25, -1.0},
      {L"Duration: 00:01:30.50,\n", L"Stream #0:0: Video: mjpeg, 5 tbr, 5 tbn\n", -1.0},
      // Below one frame in all there is no total to take a percentage of.
      {L"Duration: 00:00:00.96,\n", k25, -1.0},
      {L"Duration: 00:01:30.50,\n", L"Stream #0:0: Video: mjpeg, 0.5 tbr, 10 tbn\n", -1.0},
      {L"Duration: 00:00:01.00,\n", k25, 25.0},
      // A garbled rate saturates and is multiplied without wrapping around.
      {L"Duration: 10:00:00.00,\n", L"Stream #0:0: Video: x, 9999999999 tbr, 25 tbn\n", 2147483647.0 * 36000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EstimateTotalFrames(c.duration + c.stream), c.total) << WideToSystem(c.duration + c.stream);
    EXPECT_EQ(EstimateTotalFrames(c.stream + c.duration), c.total) << "stream line first";
  }
}

// An encoder capped below the source's rate writes fewer frames than the
// source has; the total follows, so that progress reaches 100 % at the end.
TEST(ProgressParser, TotalFramesOfARateCappedOutput) {
  const std::wstring k60 = L"Duration: 00:00:10.00,\nStream #0:0: Video: h264, 60 fps, 60 tbr, 15360 tbn\n";
  const std::wstring k2997 = L"Duration: 00:00:10.00,\nStream #0:0: Video: h264, 29.97 fps, 29.97 tbr, 30k tbn\n";
  const struct {
    double total;
    const std::wstring* log;
    double cap;
    double expected;
  } cases[] = {
      {600, &k60, 30, 300},      // 60 fps capped at 30: half the frames
      {600, &k60, 59.94, 599},   // a fractional cap, whole frames
      {600, &k60, 60, 600},      // at the cap: unchanged
      {290, &k2997, 30, 290},    // below the cap: unchanged
      {600, &k60, 0, 600},       // no cap
      {600, &k60, -5, 600},
      {600, &k60, std::nan(""), 600},
      {-1, &k60, 30, -1},        // unknown stays unknown
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CapTotalFrames(c.total, *c.log, c.cap), c.expected) << c.total << " cap " << c.cap;
  }
  EXPECT_EQ(CapTotalFrames(600, L"Duration: 00:00:10.00,\n", 30), 600) << "no stream line: no rate";
}

TEST(ProgressParser, BitrateOfTheNewestStatusLine) {
  struct Case {
    std::wstring tail;
    double bitrate;
  };
  const Case cases[] = {
      {kStatus100, 524.0},
      // The encoder pads to six characters: no blank from 1000 kbit/s on,
      // several below 100.
      {L"frame= 9 fps=0 size= 1kB time=00:00:00.04 bitrate=1234.5kbits/s speed=1x", 1234.0},
      {L"frame= 9 fps=0 size= 0kB time=00:00:00.04 bitrate=   8.3kbits/s speed=1x", 8.0},
      {L"frame= 9 fps=0 size= 0kB time=00:00:00.04 bitrate=  99.9kbits/s speed=1x", 99.0},
      {kStatus100 + L"frame= 150 fps=25 size= 1000kB time=00:00:06.00 bitrate=1365.3kbits/s sp", 1365.0},
      // Before the first packet there is no bit rate: an older line must not stand in.
      {kStatus100 + L"frame= 150 fps=25 size= 0kB time=N/A bitrate=N/A speed=N/A", -1.0},
      {kStatus100 + L"frame= 150 fps=25 size= 0kB time=00:00:06.00 bitrate= 13", -1.0},
      {L"frame= 9 fps=0 size= 0kB time=00:00:00.04 bitrate= 99999999999999999999kbits/s", 1e20},
      {L"frame= 9 fps=0 size= 0kB time=00:00:00.04 bitrate= .kbits/s", 0.0},
      {L"frame= 9 fps=0 size= 0kB time=00:00:00.04 bitrate= 1.2.3kbits/s", 1.0},
      {L"no status line has been written yet....", -1.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseBitrate(kHeader + c.tail), c.bitrate) << WideToSystem(c.tail);
  }
}

TEST(ProgressParser, EncoderOptionsWithBitrateAreNotAStatusLine) {
  // The H.264 encoder lists its options, "bitrate=3000" among them, before any status.
  const std::wstring options = L"[libx264 @ 0x55] options: rc=abr mbtree=1 bitrate=3000 ratetol=1.0 qcomp=0.60\n";
  EXPECT_EQ(ParseBitrate(kHeader + options), -1.0);
  EXPECT_EQ(ParseBitrate(kHeader + options + kStatus100), 524.0);
  EXPECT_EQ(ParseFrameNumber(kHeader + options), -1);
}

TEST(ProgressParser, OutputSizeEstimate) {
  const std::wstring log = kHeader + L"frame= 9 fps=0 q=0 size= 1kB time=00:00:01.00 bitrate=1234.5kbits/s";
  EXPECT_DOUBLE_EQ(EstimateOutputSizeKB(log, 90500), 13882.5);  // 1234 x 90 s / 8
  EXPECT_DOUBLE_EQ(EstimateOutputSizeKB(log, 999), 0.0);        // whole seconds only
  EXPECT_EQ(EstimateOutputSizeKB(log, -1), -1.0);
  EXPECT_EQ(EstimateOutputSizeKB(kHeader, 90500), -1.0);
  EXPECT_DOUBLE_EQ(EstimateOutputSizeKB(kHeader + kStatus100, 3000), 196.5);  // 524 x 3 / 8
}

TEST(ProgressParser, WrittenSizeOfTheNewestStatusLine) {
  struct Case {
    const char* name;
    std::wstring tail;
    double kb;
  } cases[] = {
      {"a working line", kStatus100, 256},
      {"the last line", L"frame=  251 fps= 50 q=-1.0 Lsize=    3808kB time=00:00:10.03 bitrate=3109.9kbits/s\n", 3808},
      {"newer encoders count KiB", L"frame=  9 fps=0.0 q=0.0 size=      17KiB time=00:00:00.36 bitrate=...\r", 17},
      {"audio only", L"size=     128kB time=00:00:08.00 bitrate= 131.1kbits/s speed=40x\r", 128},
      {"the newest line counts", L"frame= 1 size=   1kB time=0\rframe= 2 size=   0kB time=0\r", 0},
      {"not known yet", L"frame=    0 fps=0.0 q=0.0 size=N/A time=00:00:00.00 bitrate=N/A\r", -1},
      {"no unit yet", L"frame=    5 fps=0.0 q=0.0 size=     12", -1},
      {"a metadata line is no status line", L"    title           : size=500kB\n", -1},
      {"no status at all", L"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseWrittenKB(kHeader + c.tail), c.kb) << c.name;
}

TEST(ProgressParser, NonAsciiAndNulCharactersAreReadSafely) {
  std::wstring log = kHeader + L"\u00e9\u4e2d\U0001F600";
  log.push_back(L'\0');
  log += kStatus100;
  EXPECT_EQ(ParseFrameNumber(log), 100);
  EXPECT_EQ(ParseBitrate(log), 524.0);
  EXPECT_EQ(ParseDurationMs(log), 90500);
  // Digits of other scripts are no frame count.
  EXPECT_EQ(ParseFrameNumber(kHeader + L"frame=\u0661\u0662 fps=1"), -1);
}

// Pads a log with a filler line so that it has exactly `length` characters.
std::wstring PaddedTo(const std::wstring& log, size_t length) {
  std::wstring padded = log;
  padded.insert(0, length - log.size(), L'#');
  return padded;
}

TEST(RefreshProgressFigures, TotalsWaitForMoreThan1500Characters) {
  const std::wstring log = kHeader + kStatus100;
  ProgressFigures figures;
  RefreshProgressFigures(PaddedTo(log, 1500), &figures);
  EXPECT_EQ(figures.total_frames, -1.0);
  EXPECT_EQ(figures.duration_ms, -1);
  EXPECT_EQ(figures.current_frame, 100.0);
  EXPECT_EQ(figures.size_kb, -1.0);  // no duration yet

  RefreshProgressFigures(PaddedTo(log, 1501), &figures);
  EXPECT_EQ(figures.total_frames, 2250.0);
  EXPECT_EQ(figures.duration_ms, 90500);
  EXPECT_EQ(figures.current_frame, 100.0);
  EXPECT_DOUBLE_EQ(figures.size_kb, 524.0 * 90 / 8);
}

TEST(RefreshProgressFigures, UnknownTotalIsTriedAgainAndAKnownOneIsKept) {
  std::wstring log = PaddedTo(L"Duration: N/A, start: 0\n", 1600);
  ProgressFigures figures;
  RefreshProgressFigures(log, &figures);
  EXPECT_EQ(figures.total_frames, -1.0);
  EXPECT_EQ(figures.duration_ms, -1);

  log += kHeader;  // the stream line arrives with a later chunk
  RefreshProgressFigures(log, &figures);
  EXPECT_EQ(figures.total_frames, 2250.0);
  EXPECT_EQ(figures.duration_ms, 90500);

  figures.duration_ms = 4000;  // once known, neither is read again
  log += kStatus100;
  RefreshProgressFigures(log, &figures);
  EXPECT_EQ(figures.duration_ms, 4000);
  EXPECT_DOUBLE_EQ(figures.size_kb, 524.0 * 4 / 8);
}

TEST(RefreshProgressFigures, CurrentFrameAndSizeFollowTheNewestLine) {
  std::wstring log = PaddedTo(kHeader, 1600) + kStatus100;
  ProgressFigures figures;
  RefreshProgressFigures(log, &figures);
  EXPECT_EQ(figures.current_frame, 100.0);
  log += L"frame=  1";  // a chunk ends inside the next status line
  RefreshProgressFigures(log, &figures);
  EXPECT_EQ(figures.current_frame, -1.0);
  EXPECT_DOUBLE_EQ(figures.size_kb, 524.0 * 90 / 8);
  log += L"25 fps= 25 q=28.0 size=     300kB time=00:00:05.00 bitrate=";
  RefreshProgressFigures(log, &figures);
  EXPECT_EQ(figures.current_frame, 125.0);
  EXPECT_EQ(figures.size_kb, -1.0);  // its bit rate has not arrived yet
  log += L"1024.0kbits/s speed=1x    \r";
  RefreshProgressFigures(log, &figures);
  EXPECT_DOUBLE_EQ(figures.size_kb, 1024.0 * 90 / 8);
}

// A log in the layout of older encoders, whose stream lines end in tbc.
std::wstring OlderEncoderLog() {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(SystemToWide(CW_SOURCE_DIR "/src/analysis/testdata/older_encoder_tbc.txt"), &bytes));
  return SystemToWide(bytes);
}

TEST(ProgressParser, OlderEncoderLogWithTbc) {
  std::wstring log = OlderEncoderLog();
  ASSERT_GT(log.size(), kLogLengthBeforeTotals);
  EXPECT_EQ(ParseDurationText(log), L"00:00:10.01");
  EXPECT_EQ(ParseDurationMs(log), 10010);
  EXPECT_EQ(ParseFrameRate(log), 29);
  EXPECT_EQ(EstimateTotalFrames(log), 290.0);
  EXPECT_EQ(ParseFrameNumber(log), 300);
  EXPECT_EQ(ParseBitrate(log), 771.0);
  EXPECT_DOUBLE_EQ(EstimateOutputSizeKB(log, 10010), 963.75);
}

TEST(RefreshProgressFigures, OlderEncoderLogLineByLine) {
  // Fed up to the end of each status line, as the runner sees it.
  std::wstring log = OlderEncoderLog();
  struct Expected {
    double frame;
    double size_kb;
  };
  const Expected expected[] = {{0, -1.0},         {44, 1 * 10 / 8.0},   {77, 1537 * 10 / 8.0},
                               {112, 828 * 10 / 8.0}, {146, 1145 * 10 / 8.0}, {181, 868 * 10 / 8.0},
                               {216, 1049 * 10 / 8.0}, {250, 882 * 10 / 8.0}, {285, 1010 * 10 / 8.0},
                               {300, 771 * 10 / 8.0}};
  size_t from = log.find(L"frame=");
  ASSERT_NE(from, std::wstring::npos);
  ProgressFigures figures;
  for (const Expected& e : expected) {
    size_t end = log.find_first_of(L"\r\n", from);
    ASSERT_NE(end, std::wstring::npos);
    RefreshProgressFigures(std::wstring_view(log).substr(0, end + 1), &figures);
    EXPECT_EQ(figures.total_frames, 290.0) << e.frame;
    EXPECT_EQ(figures.duration_ms, 10010) << e.frame;
    EXPECT_EQ(figures.current_frame, e.frame);
    EXPECT_DOUBLE_EQ(figures.size_kb, e.size_kb) << e.frame;
    from = end + 1;
  }
}

TEST(AnalysisConcurrency, WorkersShareThePatternsFromTheFirstUse) {
  // Several workers reach the parsers at the same moment, the first use
  // (compiling the patterns) included; every one reads the right figures.
  const std::wstring log = PaddedTo(kHeader, 1600) + kStatus100;
  constexpr int kWorkers = 8;
  std::vector<ProgressFigures> results(kWorkers);
  std::vector<std::thread> workers;
  for (int i = 0; i < kWorkers; ++i) {
    workers.emplace_back([&log, &results, i] {
      for (int round = 0; round < 50; ++round) RefreshProgressFigures(log, &results[i]);
    });
  }
  for (std::thread& worker : workers) worker.join();
  for (const ProgressFigures& figures : results) {
    EXPECT_EQ(figures.total_frames, 2250.0);
    EXPECT_EQ(figures.current_frame, 100.0);
    EXPECT_EQ(figures.duration_ms, 90500);
    EXPECT_DOUBLE_EQ(figures.size_kb, 524.0 * 90 / 8);
  }
}

}  // namespace
}  // namespace cw
