// The parsers on real encoder output: a short test clip is generated with
// the encoder's own test sources and converted with the conversion's command
// line at a low and a high video bit rate; every figure is checked against
// the known clip, from the first status line on.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

#include "analysis/progress_parser.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

// The clip: 3 s at 25 frames per second, noisy so that high bit rates are reached.
constexpr int kClipSeconds = 3;
constexpr int kClipFrames = 75;

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

class AnalysisRealEncoder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testing::TempDir();
    clip_ = folder_->File("clip.avi");
    generated_ = RunShell(
        "ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i testsrc=duration=3:size=320x240:rate=25"
        " -f lavfi -i sine=frequency=440:duration=3 -vf noise=alls=40:allf=t -codec:v mpeg4 -q:v 4"
        " -codec:a mp2 -y \"" + clip_ + "\" </dev/null >/dev/null 2>&1");
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  void SetUp() override { ASSERT_TRUE(generated_) << "ffmpeg could not make the test clip"; }

  // Converts the clip with the conversion's command line; returns the whole
  // output (standard output and error together) and the output file's size.
  static std::wstring Convert(const std::string& profile, const std::string& name, size_t* output_bytes) {
    std::string out = folder_->File(name + ".mp4");
    std::string log = folder_->File(name + ".log");
    std::string command = "ffmpeg -i \"" + clip_ + "\" -codec:v libx264 -y " + profile + "  \"" + out + "\" ";
    EXPECT_TRUE(RunShell(command + "</dev/null >\"" + log + "\" 2>&1")) << command;
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(SystemToWide(out), &bytes));
    *output_bytes = bytes.size();
    EXPECT_TRUE(ReadFileBytes(SystemToWide(log), &bytes));
    return SystemToWide(bytes);
  }

  static testing::TempDir* folder_;
  static std::string clip_;
  static bool generated_;
};

testing::TempDir* AnalysisRealEncoder::folder_ = nullptr;
std::string AnalysisRealEncoder::clip_;
bool AnalysisRealEncoder::generated_ = false;

// The number after `key` in a status line, read independently of the parsers;
// false when there is none (e.g. "bitrate=N/A").
bool NumberAfter(std::wstring_view line, std::wstring_view key, double* value) {
  size_t at = line.find(key);
  if (at == std::wstring_view::npos) return false;
  std::string text = WideToSystem(line.substr(at + key.size(), 24));
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  auto result = std::from_chars(text.data() + first, text.data() + text.size(), *value);
  return result.ec == std::errc();
}

// Feeds the log to the runner's refresh up to the end of each status line and
// checks the figures against that line; returns how many lines there were and
// the highest bit rate among them.
int CheckLineByLine(const std::wstring& log, double* highest_bitrate) {
  ProgressFigures figures;
  int lines = 0;
  double previous_frame = -1;
  *highest_bitrate = 0;
  for (size_t from = log.find(L"frame="); from != std::wstring::npos; from = log.find(L"frame=", from + 1)) {
    size_t end = log.find_first_of(L"\r\n", from);
    if (end == std::wstring::npos) break;
    std::wstring_view line = std::wstring_view(log).substr(from, end - from);
    RefreshProgressFigures(std::wstring_view(log).substr(0, end + 1), &figures);
    ++lines;
    EXPECT_EQ(figures.duration_ms, kClipSeconds * 1000) << WideToSystem(line);
    EXPECT_EQ(figures.total_frames, kClipFrames) << WideToSystem(line);
    double frame = 0;
    EXPECT_TRUE(NumberAfter(line, L"frame=", &frame));
    EXPECT_EQ(figures.current_frame, frame) << WideToSystem(line);
    EXPECT_GE(figures.current_frame, previous_frame);
    previous_frame = figures.current_frame;
    double bitrate = 0;
    if (NumberAfter(line, L"bitrate=", &bitrate)) {
      EXPECT_DOUBLE_EQ(figures.size_kb, static_cast<int>(bitrate) * kClipSeconds / 8.0) << WideToSystem(line);
      if (bitrate > *highest_bitrate) *highest_bitrate = bitrate;
    } else {
      EXPECT_EQ(figures.size_kb, -1.0) << WideToSystem(line);
    }
  }
  return lines;
}

// Feeds the log in pipe-sized pieces: nothing may leave its range, and the
// end result is the same as for the whole log.
void CheckInChunks(const std::wstring& log, size_t chunk) {
  ProgressFigures figures;
  for (size_t end = chunk; end < log.size() + chunk; end += chunk) {
    std::wstring_view prefix = std::wstring_view(log).substr(0, std::min(end, log.size()));
    double total_before = figures.total_frames;
    RefreshProgressFigures(prefix, &figures);
    if (total_before != -1.0) {
      EXPECT_EQ(figures.total_frames, total_before);
    }
    EXPECT_TRUE(figures.total_frames == -1.0 || figures.total_frames == kClipFrames);
    EXPECT_GE(figures.current_frame, -1.0);
    EXPECT_LE(figures.current_frame, kClipFrames);
  }
  EXPECT_EQ(figures.total_frames, kClipFrames);
  EXPECT_EQ(figures.current_frame, kClipFrames);
}

void CheckWholeLog(const std::wstring& log, size_t output_bytes) {
  ASSERT_GT(log.size(), kLogLengthBeforeTotals);
  EXPECT_EQ(ParseDurationText(log), L"00:00:03.00");
  EXPECT_EQ(ParseDurationMs(log), 3000);
  EXPECT_EQ(ParseFrameRate(log), 25);
  EXPECT_EQ(EstimateTotalFrames(log), kClipFrames);
  EXPECT_EQ(ParseFrameNumber(log), kClipFrames);
  // The last status line's bit rate is the whole output's: the estimate
  // meets the real size (kilobytes of 1000 bytes) within a few percent.
  double size_kb = EstimateOutputSizeKB(log, ParseDurationMs(log));
  double real_kb = static_cast<double>(output_bytes) / 1000;
  EXPECT_GT(size_kb, real_kb * 0.95) << real_kb;
  EXPECT_LT(size_kb, real_kb * 1.05) << real_kb;
}

TEST_F(AnalysisRealEncoder, LowBitrate) {
  size_t output_bytes = 0;
  std::wstring log = Convert("-s 176x144 -b:v 300k -b:a 64k", "low", &output_bytes);
  CheckWholeLog(log, output_bytes);
  double highest = 0;
  EXPECT_GE(CheckLineByLine(log, &highest), 2);
  CheckInChunks(log, 256);
}

TEST_F(AnalysisRealEncoder, HighBitrateWithoutBlankAfterTheSign) {
  size_t output_bytes = 0;
  std::wstring log = Convert("-s 320x240 -b:v 3000k -b:a 128k", "high", &output_bytes);
  CheckWholeLog(log, output_bytes);
  double highest = 0;
  EXPECT_GE(CheckLineByLine(log, &highest), 2);
  // Only meaningful if the encoder wrote "bitrate=1234.5kbits/s" lines.
  EXPECT_GE(highest, 1000.0);
  CheckInChunks(log, 4096);
}

}  // namespace
}  // namespace cw
