// Tests of the encoder command line: profiles of the plain format given
// directly, and the shipped catalog of the build folder, whose profiles carry
// device constraints.
#include "tasks/command_line.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "testsupport/build_catalog.h"

namespace cw {
namespace {

struct RunPaths {
  std::wstring encoder, input, output, device, quality;
};

std::shared_ptr<ProcessObject> MakeRun(const RunPaths& p) {
  auto run = std::make_shared<ProcessObject>();
  run->encoderPath = p.encoder;
  run->inputPath = p.input;
  run->outputPath = p.output;
  run->targetDevice = p.device;
  run->outputQuality = p.quality;
  return run;
}

FormatObject PlainProfile(const std::wstring& solution, const std::wstring& video, const std::wstring& audio) {
  FormatObject f;
  f.id = L"Low";
  f.solution = solution;
  f.videoKBS = video;
  f.audioBitrate = audio;
  return f;
}

std::wstring Joined(const std::vector<std::wstring>& args) {
  std::wstring text;
  for (const auto& a : args) text += (text.empty() ? L"" : L" ") + a;
  return text;
}

TEST(ProfileArguments, APlainProfileGivesTheThreeOptionsOnly) {
  EXPECT_EQ(Joined(ProfileArguments(PlainProfile(L"480x320", L"768", L"128"))), L"-s 480x320 -b:v 768k -b:a 128k");
  EXPECT_EQ(Joined(ProfileArguments(PlainProfile(L"320x180", L"300", L"64"))), L"-s 320x180 -b:v 300k -b:a 64k");
  // Empty texts still give their options, as the catalog says.
  EXPECT_EQ(Joined(ProfileArguments(PlainProfile(L"", L"", L""))), L"-s  -b:v k -b:a k");
}

TEST(BuildEncoderCommand, TextAndArgumentListCarryTheSamePieces) {
  struct Case {
    RunPaths paths;
    std::wstring text;
    std::vector<std::wstring> argv;
  } cases[] = {
      {{L"/conv/xenc", L"/v/clip.avi", L"/out/clip.mp4", L"1", L"Low"},
       L"/conv/xenc -i \"/v/clip.avi\" -codec:v libx264 -y -s 320x180 -b:v 300k -b:a 64k  \"/out/clip.mp4\" ",
       {L"/conv/xenc", L"-i", L"/v/clip.avi", L"-codec:v", L"libx264", L"-y", L"-s", L"320x180", L"-b:v", L"300k",
        L"-b:a", L"64k", L"/out/clip.mp4"}},
      // Spaces, quotes and percent signs stay as they are; nothing is escaped.
      {{L"/my conv/xenc", L"/v/100% \"a\" b.avi", L"/out/x y.mp4", L"1", L"Low"},
       L"/my conv/xenc -i \"/v/100% \"a\" b.avi\" -codec:v libx264 -y -s 320x180 -b:v 300k -b:a 64k  \"/out/x "
       L"y.mp4\" ",
       {L"/my conv/xenc", L"-i", L"/v/100% \"a\" b.avi", L"-codec:v", L"libx264", L"-y", L"-s", L"320x180", L"-b:v",
        L"300k", L"-b:a", L"64k", L"/out/x y.mp4"}},
      // No profile: three spaces before the output, no options in the list.
      {{L"/c/xenc", L"/v/a.avi", L"/o/a.mp4", L"nodevice", L"Low"},
       L"/c/xenc -i \"/v/a.avi\" -codec:v libx264 -y   \"/o/a.mp4\" ",
       {L"/c/xenc", L"-i", L"/v/a.avi", L"-codec:v", L"libx264", L"-y", L"/o/a.mp4"}},
  };
  const FormatObject low = PlainProfile(L"320x180", L"300", L"64");
  for (const auto& c : cases) {
    auto run = MakeRun(c.paths);
    const bool has_profile = c.paths.device != L"nodevice";
    EncoderCommand command = BuildEncoderCommand(*run, has_profile ? &low : nullptr);
    EXPECT_EQ(command.text, c.text);
    EXPECT_EQ(command.argv, c.argv);
  }
}

TEST(BuildEncoderCommand, TheExampleProfileGivesTheExampleLine) {
  auto run = MakeRun({L"/conv/xenc", L"/v/clip.avi", L"/output/clip.mp4", L"", L""});
  const FormatObject example = PlainProfile(L"480x320", L"768", L"128");
  EXPECT_EQ(BuildEncoderCommand(*run, &example).text,
            L"/conv/xenc -i \"/v/clip.avi\" -codec:v libx264 -y -s 480x320 -b:v 768k -b:a 128k  \"/output/clip.mp4\" ");
}

TEST(BuildEncoderCommand, LongPathsAreNotCut) {
  std::wstring input = L"/in/" + std::wstring(3000, L'a') + L".avi";
  std::wstring output = L"/out/" + std::wstring(3000, L'b') + L".mp4";
  auto run = MakeRun({L"/c/xenc", input, output, L"1", L"Low"});
  const FormatObject low = PlainProfile(L"320x180", L"300", L"64");
  EncoderCommand command = BuildEncoderCommand(*run, &low);
  EXPECT_EQ(command.argv.back(), output);
  EXPECT_EQ(command.argv[2], input);
  EXPECT_EQ(command.text.substr(command.text.size() - output.size() - 2), output + L"\" ");
}

}  // namespace
}  // namespace cw

namespace cw {
namespace {

FormatObject DeviceProfile() {
  FormatObject f;
  f.id = L"Normal";
  f.solution = L"1280x720";
  f.videoKBS = L"2500";
  f.audioBitrate = L"128";
  f.h264Profile = L"high";
  f.h264Level = L"4.1";
  f.pixelFormat = L"yuv420p";
  f.maxFrameRate = L"30";
  f.audioChannels = L"2";
  f.fit = L"inside";
  return f;
}

TEST(ProfileArguments, DeviceConstraintsGiveTheDeviceOptions) {
  const std::wstring fit = FitInsideFilter(1280, 720);
  const std::vector<std::wstring> all = {
      L"-map", L"0:V:0", L"-map", L"0:a?", L"-map", L"0:s?", L"-vf", L"yadif=deint=interlaced," + fit, L"-pix_fmt", L"yuv420p",
      L"-profile:v", L"high", L"-level:v", L"4.1", L"-fpsmax", L"30", L"-b:v", L"2500k", L"-c:a", L"aac",
      L"-b:a", L"128k", L"-af", L"aformat=channel_layouts=mono|stereo", L"-disposition:a", L"0",
      L"-disposition:a:0", L"default", L"-c:s", L"mov_text", L"-metadata", L"major_brand=", L"-metadata",
      L"minor_version=", L"-metadata", L"compatible_brands=", L"-movflags", L"+faststart+use_metadata_tags",
      L"-flush_packets", L"1"};
  EXPECT_EQ(ProfileArguments(DeviceProfile()), all);

  // Each constraint alone: the stream options always, the others only when given.
  struct Case {
    const char* what;
    void (*change)(FormatObject*);
    std::wstring expected;
  } cases[] = {
      {"only a pixel format: the frame is forced as in the plain format",
       [](FormatObject* f) { *f = FormatObject{}; f->solution = L"640x360"; f->videoKBS = L"800";
                             f->audioBitrate = L"96"; f->pixelFormat = L"yuv420p"; },
       L"-map 0:V:0 -map 0:a? -map 0:s? -s 640x360 -pix_fmt yuv420p -b:v 800k -c:a aac -b:a 96k "
       L"-disposition:a 0 -disposition:a:0 default -c:s mov_text -metadata major_brand= -metadata minor_version= "
       L"-metadata compatible_brands= -movflags +faststart+use_metadata_tags -flush_packets 1"},
      {"surround class", [](FormatObject* f) { f->audioChannels = L"6"; },
       L"aformat=channel_layouts=mono|stereo|3.0|4.0|5.0|5.1"},
      {"mono class", [](FormatObject* f) { f->audioChannels = L"1"; }, L"aformat=channel_layouts=mono -"},
      {"eight channels", [](FormatObject* f) { f->audioChannels = L"8"; }, L"|5.1|7.1 -"},
      {"a channel count that is no number sets no limit", [](FormatObject* f) { f->audioChannels = L"two"; },
       L"-b:a 128k -disposition:a 0"},
      {"a frame that is no size cannot be fitted", [](FormatObject* f) { f->solution = L"hd"; },
       L"-map 0:s? -s hd -pix_fmt"},
      {"another fit keeps the frame", [](FormatObject* f) { f->fit = L"stretch"; }, L"-map 0:s? -s 1280x720 -pix_fmt"},
  };
  for (const auto& c : cases) {
    FormatObject f = DeviceProfile();
    c.change(&f);
    const std::wstring text = Joined(ProfileArguments(f));
    EXPECT_NE(text.find(c.expected), std::wstring::npos) << c.what << ": " << WideToSystem(text);
  }
}

// The time the clip was taken goes onto the file and every track.
TEST(ProfileArguments, TheCreationTimeIsKept) {
  SourceTraits taken;
  taken.creationTime = L"2019-12-20T10:11:12.000000Z";
  EXPECT_NE(Joined(ProfileArguments(DeviceProfile(), taken))
                .find(L"compatible_brands= -metadata creation_time=2019-12-20T10:11:12.000000Z -metadata:s "
                      L"creation_time=2019-12-20T10:11:12.000000Z -movflags"),
            std::wstring::npos);
  EXPECT_EQ(Joined(ProfileArguments(DeviceProfile())).find(L"creation_time"), std::wstring::npos);
}

SourceTraits LeavingOut(const std::vector<int>& tracks) {
  SourceTraits source;
  source.pictureSubtitles = tracks;
  return source;
}

TEST(ProfileArguments, LeftOutSubtitleTracksAreUnmapped) {
  const std::wstring text = Joined(ProfileArguments(DeviceProfile(), LeavingOut({1, 3})));
  EXPECT_NE(text.find(L"-map 0:V:0 -map 0:a? -map 0:s? -map -0:s:1 -map -0:s:3 -vf "), std::wstring::npos)
      << WideToSystem(text);
  // A plain profile maps nothing, so it has nothing to leave out.
  EXPECT_EQ(ProfileArguments(PlainProfile(L"480x320", L"768", L"128"), LeavingOut({0})),
            ProfileArguments(PlainProfile(L"480x320", L"768", L"128")));
}

SourceTraits Sized(int width, int height, int kbit) {
  SourceTraits source;
  source.width = width;
  source.height = height;
  source.videoKbit = kbit;
  return source;
}

// With a quality the profile's rate becomes a ceiling, lowered to the
// source's own rate (with its allowance) for a source that fits the frame.
TEST(ProfileArguments, AQualityMakesTheRateACeiling) {
  struct Case {
    const char* what;
    std::wstring crf, buffer;
    SourceTraits source;
    std::wstring expected;  // the video rate options, between -fpsmax 30 and -c:a
  } cases[] = {
      {"no quality: the rate is the target, whatever the source", L"", L"", Sized(640, 360, 400), L"-b:v 2500k"},
      {"the profile's buffer", L"21", L"4000", {}, L"-crf 21 -maxrate 2500k -bufsize 4000k"},
      {"no buffer: twice the ceiling", L"21", L"", {}, L"-crf 21 -maxrate 2500k -bufsize 5000k"},
      {"a small source of a low rate", L"21", L"5000", Sized(640, 360, 400),
       L"-crf 21 -maxrate 500k -bufsize 1000k"},
      {"a source the frame fits exactly", L"24", L"5000", Sized(1280, 720, 1000),
       L"-crf 24 -maxrate 1250k -bufsize 2500k"},
      {"a source of a higher rate keeps the profile's", L"21", L"5000", Sized(640, 360, 9000),
       L"-crf 21 -maxrate 2500k -bufsize 5000k"},
      {"a source to be scaled down keeps the profile's", L"21", L"5000", Sized(1920, 1080, 400),
       L"-crf 21 -maxrate 2500k -bufsize 5000k"},
      {"an unknown source rate keeps the profile's", L"21", L"5000", Sized(640, 360, 0),
       L"-crf 21 -maxrate 2500k -bufsize 5000k"},
  };
  for (const auto& c : cases) {
    FormatObject f = DeviceProfile();
    f.crf = c.crf;
    f.videoBuffer = c.buffer;
    const std::wstring text = Joined(ProfileArguments(f, c.source));
    EXPECT_NE(text.find(L"-fpsmax 30 " + c.expected + L" -c:a aac"), std::wstring::npos)
        << c.what << ": " << WideToSystem(text);
  }
  // A rate that is no number cannot be a ceiling: the options stay as the profile says.
  FormatObject f = DeviceProfile();
  f.crf = L"21";
  f.videoKBS = L"fast";
  EXPECT_NE(Joined(ProfileArguments(f)).find(L"-fpsmax 30 -b:v fastk -c:a"), std::wstring::npos);
}

TEST(FitInsideFilter, NamesTheFrameAndNeedsASize) {
  const std::wstring fit = FitInsideFilter(854, 480);
  EXPECT_EQ(fit.rfind(L"scale=w=", 0), 0u);
  EXPECT_NE(fit.find(L"min(854\\,iw*sar)"), std::wstring::npos);
  EXPECT_NE(fit.find(L"min(480\\,ih)"), std::wstring::npos);
  EXPECT_EQ(fit.substr(fit.size() - 9), L",setsar=1");
  EXPECT_EQ(FitInsideFilter(0, 480), L"");
  EXPECT_EQ(FitInsideFilter(854, -2), L"");
  int w = 0, h = 0;
  EXPECT_TRUE(ParseFrameSize(L"1920x1080", &w, &h));
  EXPECT_EQ(w * 10000 + h, 1920 * 10000 + 1080);
  for (const wchar_t* bad : {L"1920", L"x1080", L"1920x", L"19a0x1080", L"-2x4", L"0x0", L""}) {
    EXPECT_FALSE(ParseFrameSize(bad, &w, &h)) << WideToSystem(bad);
  }
}

// Every profile of the shipped catalog has device constraints, so none gives
// the plain options, and a quality under its rate as the ceiling.
TEST(BuildEncoderCommand, ShippedProfilesUseTheirConstraints) {
  for (const DeviceObject& d : testing::BuildCatalog().devices) {
    for (const FormatObject& f : d.formats) {
      auto run = MakeRun({L"/c/xenc", L"/v/a.avi", L"/o/a.mp4", d.id, f.id});
      const std::wstring text = BuildEncoderCommand(*run, &f).text;
      const std::string where = WideToSystem(d.id + L"/" + f.id);
      EXPECT_EQ(text.find(L" -s "), std::wstring::npos) << where;
      EXPECT_NE(text.find(L" -pix_fmt yuv420p "), std::wstring::npos) << where;
      EXPECT_NE(text.find(L" -profile:v " + f.h264Profile + L" -level:v " + f.h264Level + L" "), std::wstring::npos)
          << where;
      EXPECT_NE(text.find(L" -crf " + f.crf + L" -maxrate " + f.videoKBS + L"k -bufsize " + f.videoBuffer + L"k "),
                std::wstring::npos)
          << where;
      EXPECT_NE(text.find(L" -movflags +faststart+use_metadata_tags -flush_packets 1  \"/o/a.mp4\" "),
                std::wstring::npos)
          << where;
    }
  }
}

}  // namespace
}  // namespace cw
