// A bounded log reads the same figures as the whole log it came from.
#include "analysis/log_window.h"

#include <gtest/gtest.h>

#include "analysis/progress_parser.h"

namespace cw {
namespace {

const wchar_t kHeader[] =
    L"Input #0, matroska,webm, from 'in.mkv':\n"
    L"  Duration: 00:01:40.00, start: 0.000000, bitrate: 1000 kb/s\n"
    L"  Stream #0:0: Video: h264, yuv420p, 640x360, 25 fps, 25 tbr, 1k tbn\n";

std::wstring StatusLine(int frame) {
  return L"frame=" + std::to_wstring(frame) + L" fps= 50 q=28.0 size=    512kB time=00:00:04.00 bitrate= 812.5kbits/s speed=2x\r";
}

TEST(LogWindow, ChattyEncoderLogStaysSmallAndParsesTheSame) {
  std::wstring whole = kHeader;
  std::wstring bounded = kHeader;
  ProgressFigures from_whole, from_bounded;
  const std::wstring warning = L"[h264 @ 0x55d] error while decoding MB 12 7, bytestream -5\n";
  for (int frame = 1; frame <= 12000; ++frame) {
    std::wstring piece = (frame % 3 == 0 ? StatusLine(frame) : warning);
    whole += piece;
    bounded += piece;
    KeepLogBounded(&bounded);
    ASSERT_LE(bounded.size(), kLogHeadChars + 2 * kLogTailChars + 200);
  }
  ASSERT_GT(whole.size(), 3 * (kLogHeadChars + kLogTailChars));
  RefreshProgressFigures(whole, &from_whole);
  RefreshProgressFigures(bounded, &from_bounded);
  EXPECT_EQ(from_bounded.current_frame, 12000);
  EXPECT_EQ(from_bounded.current_frame, from_whole.current_frame);
  EXPECT_EQ(from_bounded.total_frames, from_whole.total_frames);
  EXPECT_EQ(from_bounded.duration_ms, 100000);
  EXPECT_EQ(from_bounded.size_kb, from_whole.size_kb);
  EXPECT_EQ(bounded.substr(0, 20), whole.substr(0, 20));
  EXPECT_EQ(bounded.substr(bounded.size() - kLogTailChars), whole.substr(whole.size() - kLogTailChars));
  EXPECT_NE(bounded.find(kLogGapMarker), std::wstring::npos);
}

TEST(LogWindow, ShortLogsAreLeftAlone) {
  std::wstring log = std::wstring(kHeader) + std::wstring(kLogHeadChars + 2 * kLogTailChars - 200, L'x');
  std::wstring before = log;
  KeepLogBounded(&log);
  EXPECT_EQ(log, before);
}

}  // namespace
}  // namespace cw
