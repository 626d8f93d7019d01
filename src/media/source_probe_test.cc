// Tests of ffprobe's answer parsing and the texts built from it.
#include "media/source_probe.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(SourceProbe, ParsesTheDefaultSections) {
  const std::string output =
      "[STREAM]\ncodec_name=h264\ncodec_type=video\nwidth=320\nheight=240\navg_frame_rate=30000/1001\n[/STREAM]\n"
      "[STREAM]\r\ncodec_name=aac\r\ncodec_type=audio\r\nwidth=N/A\r\navg_frame_rate=0/0\r\n[/STREAM]\r\n"
      "[STREAM]\ncodec_name=mpeg4\ncodec_type=video\nwidth=64\nheight=48\n[/STREAM]\n"
      "[FORMAT]\nduration=12.480000\n[/FORMAT]\n";
  SourceFacts facts;
  ASSERT_TRUE(ParseProbeOutput(output, &facts));
  EXPECT_DOUBLE_EQ(facts.durationSeconds, 12.48);
  EXPECT_EQ(facts.videoCodec, L"h264");  // the first video stream
  EXPECT_EQ(facts.width, 320);
  EXPECT_EQ(facts.height, 240);
  EXPECT_NEAR(facts.frameRate, 29.97, 0.001);
  EXPECT_EQ(facts.audioCodec, L"aac");
  EXPECT_EQ(FactsText(facts), L"h264 320x240 29.97 fps, aac");
}

TEST(SourceProbe, PartialAndEmptyAnswers) {
  const struct { const char* name; std::string output; bool ok; double duration; const wchar_t* text; } cases[] = {
      {"nothing", "", false, -1, L""},
      {"an error line", "x.mkv: Invalid data found when processing input\n", false, -1, L""},
      {"audio only", "[STREAM]\ncodec_name=mp3\ncodec_type=audio\n[/STREAM]\n[FORMAT]\nduration=N/A\n[/FORMAT]\n", true,
       -1, L"mp3"},
      {"bad numbers are skipped", "[FORMAT]\nduration=1,5\n[/FORMAT]\n[STREAM]\ncodec_type=video\nwidth=x\n[/STREAM]\n",
       true, -1, L""},
      {"unclosed stream is left out", "[FORMAT]\nduration=2\n[/FORMAT]\n[STREAM]\ncodec_type=video\ncodec_name=vp9\n",
       true, 2, L""},
  };
  for (const auto& c : cases) {
    SourceFacts facts;
    EXPECT_EQ(ParseProbeOutput(c.output, &facts), c.ok) << c.name;
    EXPECT_DOUBLE_EQ(facts.durationSeconds, c.duration) << c.name;
    EXPECT_EQ(FactsText(facts), c.text) << c.name;
  }
}

// What a run with device constraints needs: the picture's HDR transfer (of
// the first picture that is not a cover) and the picture subtitle tracks'
// places among the subtitle tracks; and the span of a late-starting source.
TEST(SourceProbe, TraitsAndSpan) {
  const std::string output =
      "[STREAM]\ncodec_name=mjpeg\ncodec_type=video\ncolor_transfer=smpte2084\nDISPOSITION:attached_pic=1\n[/STREAM]\n"
      "[STREAM]\ncodec_name=hevc\ncodec_type=video\ncolor_transfer=arib-std-b67\nDISPOSITION:attached_pic=0\n"
      "bit_rate=2345600\n"
      "[/STREAM]\n[STREAM]\ncodec_name=h264\ncodec_type=video\ncolor_transfer=smpte2084\n[/STREAM]\n"
      "[STREAM]\ncodec_name=subrip\ncodec_type=subtitle\n[/STREAM]\n"
      "[STREAM]\ncodec_name=hdmv_pgs_subtitle\ncodec_type=subtitle\n[/STREAM]\n"
      "[STREAM]\ncodec_name=ass\ncodec_type=subtitle\n[/STREAM]\n"
      "[STREAM]\ncodec_name=dvd_subtitle\ncodec_type=subtitle\n[/STREAM]\n"
      "[FORMAT]\nstart_time=9999.977000\nduration=10002.000000\nbit_rate=3000000\n"
      "TAG:creation_time=2019-12-20T10:11:12.000000Z\n[/FORMAT]\n";
  SourceFacts facts;
  ASSERT_TRUE(ParseProbeOutput(output, &facts));
  EXPECT_EQ(facts.hdrTransfer, L"arib-std-b67");
  EXPECT_EQ(facts.pictureSubtitles, (std::vector<int>{1, 3}));
  EXPECT_EQ(facts.videoKbit, 2346);  // the picture's stream, not the cover's or the file's
  EXPECT_EQ(facts.creationTime, L"2019-12-20T10:11:12.000000Z");
  EXPECT_NEAR(SpanSeconds(facts), 2.023, 1e-9);
  SourceFacts sdr;
  ASSERT_TRUE(ParseProbeOutput("[STREAM]\ncodec_type=video\ncolor_transfer=bt709\n[/STREAM]\n"
                               "[FORMAT]\nstart_time=1.5\nduration=30\nbit_rate=812345\n[/FORMAT]\n", &sdr));
  EXPECT_EQ(sdr.videoKbit, 812);  // no stream rate: the file's
  EXPECT_EQ(sdr.creationTime, L"");
  EXPECT_EQ(sdr.hdrTransfer, L"");
  EXPECT_TRUE(sdr.pictureSubtitles.empty());
  EXPECT_DOUBLE_EQ(SpanSeconds(sdr), 28.5);
  EXPECT_DOUBLE_EQ(SpanSeconds(SourceFacts{}), -1);
}

TEST(SourceProbe, DurationTextsAndThumbnailPlace) {
  EXPECT_EQ(DurationText(-1), L"");
  EXPECT_EQ(DurationText(0.4), L"0:00");
  EXPECT_EQ(DurationText(7.6), L"0:08");
  EXPECT_EQ(DurationText(3723), L"1:02:03");
  EXPECT_DOUBLE_EQ(ThumbnailSeconds(20), 2);
  EXPECT_DOUBLE_EQ(ThumbnailSeconds(-1), 0);
  auto argv = ThumbnailArguments(L"/a -b.mkv", 1.25, L"/t/x.png");
  ASSERT_GE(argv.size(), 6u);
  EXPECT_EQ(argv[5], L"1.250");  // C-locale text after -ss
  EXPECT_EQ(argv.back(), L"/t/x.png");
}

}  // namespace
}  // namespace cw
