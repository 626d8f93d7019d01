// The outputs of the shipped catalog's profiles, made by the real encoder
// through the engine's runner from the kinds of files people have (10-bit
// phone clips, editor exports, rotated, anamorphic, tiny, odd-sized and
// variable-rate clips, surround sound, several tracks with subtitles), each
// checked with ffprobe against what the profile's device plays. And the
// verdicts on sources that are no conversion at all (music, a picture,
// truncated files), read from the real runs' logs.
#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>

#include "analysis/run_verdict.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/text.h"
#include "media/probe_pool.h"
#include "tasks/command_line.h"
#include "tasks/encoder_runner.h"
#include "tasks/engine_test_fixture.h"
#include "testsupport/run_command.h"

namespace cw {
namespace {

using namespace std::chrono_literals;
using testing::RunCommand;
using testing::ShellQuote;
using testing::WaitUntil;

// One stream of ffprobe's compact listing: key -> value.
using Stream = std::map<std::string, std::string>;

std::vector<Stream> ProbeStreams(const std::string& path) {
  const auto probe = RunCommand(
      "ffprobe -v error -show_entries stream=codec_type,codec_name,profile,level,pix_fmt,width,height,"
      "sample_aspect_ratio,channels,r_frame_rate:stream_disposition=default:stream_side_data=rotation "
      "-of compact=p=0 " +
      ShellQuote(path));
  std::vector<Stream> streams;
  std::istringstream lines(probe.out);
  for (std::string line; std::getline(lines, line);) {
    Stream s;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '|');) {
      const size_t eq = field.find('=');
      if (eq != std::string::npos) s[field.substr(0, eq)] = field.substr(eq + 1);
    }
    streams.push_back(s);
  }
  return streams;
}

std::vector<Stream> OfType(const std::vector<Stream>& streams, const std::string& type) {
  std::vector<Stream> out;
  for (const auto& s : streams) {
    if (s.at("codec_type") == type) out.push_back(s);
  }
  return out;
}

// The top-level box types of an MP4 file in file order.
std::vector<std::string> TopLevelBoxes(const std::string& bytes) {
  std::vector<std::string> boxes;
  size_t at = 0;
  while (at + 8 <= bytes.size()) {
    auto byte = [&](size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(bytes[i])); };
    uint64_t size = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
    boxes.push_back(bytes.substr(at + 4, 4));
    if (size == 1 && at + 16 <= bytes.size()) {
      size = 0;
      for (size_t i = 0; i < 8; ++i) size = size << 8 | byte(at + 8 + i);
    }
    if (size < 8) break;  // 0: to the end of the file
    at += size;
  }
  return boxes;
}

std::wstring ExpectedProfileName(const std::wstring& h264_profile) {
  if (h264_profile == L"baseline") return L"Constrained Baseline";
  if (h264_profile == L"main") return L"Main";
  return L"High";
}

// "4.1" as ffprobe writes the level: 41.
int LevelNumber(const std::wstring& level) {
  return static_cast<int>(std::lround(std::stod(WideToSystem(level)) * 10));
}

double Rate(const std::string& fraction) {
  const size_t slash = fraction.find('/');
  return std::stod(fraction.substr(0, slash)) / std::stod(fraction.substr(slash + 1));
}

class DeviceOutputTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    UseEncoder(Encoder::kReal);
    std::filesystem::create_directories(out_dir());
  }

  // Makes a source with ffmpeg: `make` holds the arguments between the
  // common start and the output path.
  std::string Make(const std::string& name, const std::string& make) {
    const std::string path = dir_.File("in/" + name);
    // A time limit, so that a source that never ends cannot hang the test.
    const auto made =
        RunCommand("timeout -k 5 60 ffmpeg -nostdin -loglevel error -y " + make + " " + ShellQuote(path) + " 2>&1");
    EXPECT_EQ(made.status, 0) << name << ": " << made.out;
    return path;
  }

  // The first `keep` percent of the bytes of `from`, as a new file.
  std::string Truncate(const std::string& from, const std::string& name, int keep) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(SystemToWide(from), &bytes));
    dir_.Write("in/" + name, bytes.substr(0, bytes.size() * keep / 100));
    return dir_.File("in/" + name);
  }

  // The probing of added sources, as the command line has it (facts only:
  // no thumbnail cache is touched).
  static ProbePool& Prober() {
    static ProbePool pool{ProbeTools{L"/usr/bin/ffprobe", L"/usr/bin/ffmpeg", L"", 10000, false}, 2};
    return pool;
  }

  // Converts every source through the runner's workers, two at a time, as a
  // queue with two concurrent tasks does. Returns the finished runs in order.
  struct Conversion {
    std::string source;
    std::wstring device, quality;
  };
  std::vector<std::shared_ptr<ProcessObject>> ConvertAll(const std::vector<Conversion>& conversions,
                                                         bool probed = true) {
    std::vector<std::shared_ptr<ProcessObject>> runs;
    for (size_t i = 0; i < conversions.size(); ++i) {
      auto run = std::make_shared<ProcessObject>();
      run->inputPath = SystemToWide(conversions[i].source);
      run->outputPath = wout_dir() + L"/out" + std::to_wstring(next_output_++) + L".mp4";
      run->targetDevice = conversions[i].device;
      run->outputQuality = conversions[i].quality;
      // Probed as an added file is.
      if (probed) {
        run->source = std::make_shared<SourceRecord>();
        Prober().Enqueue(run->inputPath, run->source);
      }
      runs.push_back(run);
    }
    size_t next = 0;
    auto running = [&] {
      int n = 0;
      for (size_t i = 0; i < next; ++i) n += runs[i]->finished.load() == 0;
      return n;
    };
    EXPECT_TRUE(WaitUntil([&] {
      while (next < runs.size() && running() < 2) {
        StartWorker(runs[next++], testing::BuildCatalog(), messages_.sink());
      }
      return next == runs.size() && running() == 0;
    }, 100s)) << "conversions did not end";
    return runs;
  }

  int next_output_ = 0;
};

// What a source is and what the output of its profile must hold.
struct OutputCase {
  const char* what;
  std::string source;  // file name in the input folder
  std::wstring device, quality;
  int display_w, display_h;       // the source's upright display size
  std::vector<int> channels;      // of each output audio track, in order
  int subtitles;                  // MP4 text tracks
};

TEST_F(DeviceOutputTest, EveryOutputPlaysOnItsDevice) {
  // The cues end within the picture: the source's duration counts every
  // track, so cues running past the end would read as a source that ended early.
  dir_.Write("in/subs.srt", "1\n00:00:00,000 --> 00:00:00,400\nHello\n\n2\n00:00:00,500 --> 00:00:00,900\nWorld\n");
  const std::string video = "-f lavfi -i testsrc2=d=1:s=320x240:r=25 ";
  const std::string stereo = "-f lavfi -i sine=f=440:d=1,aformat=channel_layouts=stereo ";
  const std::string surround = "-f lavfi -i sine=f=440:d=1,aformat=channel_layouts=5.1 ";
  Make("hevc10.mp4", video + "-c:v libx265 -pix_fmt yuv420p10le -x265-params log-level=error");
  Make("prores.mov", "-f lavfi -i testsrc2=d=1:s=320x180:r=25 " + stereo +
                         "-c:v prores_ks -profile:v 2 -pix_fmt yuv422p10le -c:a pcm_s16le");
  Make("yuv444.mkv", video + "-c:v libx264 -pix_fmt yuv444p");
  Make("rgb.mkv", video + "-c:v ffv1 -pix_fmt bgr0");
  Make("landscape.mp4", "-f lavfi -i testsrc=d=1:s=640x360:r=25 -c:v libx264 -pix_fmt yuv420p");
  const std::string portrait =
      Make("portrait.mp4", "-i " + ShellQuote(dir_.File("in/landscape.mp4")) + " -c copy -metadata:s:v:0 rotate=90");
  {
    const auto stored = ProbeStreams(portrait);  // stored landscape, shown portrait
    ASSERT_TRUE(!stored.empty() && stored[0].count("rotation"));
    EXPECT_EQ(std::abs(std::stod(stored[0].at("rotation"))), 90.0);
    EXPECT_EQ(stored[0].at("width"), "640");
  }
  Make("four3_50fps.avi", "-f lavfi -i testsrc=d=1:s=640x480:r=50 " + stereo + "-c:v mpeg4 -c:a aac");
  Make("pal_wide.avi", "-f lavfi -i testsrc=d=1:s=720x576:r=25,setsar=64/45 -c:v mpeg4");
  Make("pal_43.avi", "-f lavfi -i testsrc=d=1:s=720x576:r=25,setsar=16/15 -c:v mpeg4");
  Make("qcif.avi", "-f lavfi -i testsrc=d=1:s=176x144:r=25 -c:v mpeg4");
  Make("odd.avi", "-f lavfi -i testsrc=d=1:s=853x481:r=25 -c:v mpeg4");
  // Variable rate: every frame of the first half second, every third after.
  Make("vfr.mkv", "-f lavfi -i testsrc=d=2:s=320x240:r=30,select='lt(t\\,0.5)+not(mod(n\\,3))' -vsync vfr "
                  "-c:v libx264 -pix_fmt yuv420p");
  Make("surround.mkv", video + surround + "-c:v mpeg4 -c:a aac");
  Make("tracks.mkv", video + "-f lavfi -i sine=f=440:d=1 " + surround + "-i " +
                         ShellQuote(dir_.File("in/subs.srt")) +
                         " -map 0 -map 1 -map 2 -map 3 -c:v mpeg4 -c:a aac -c:s srt -disposition:a:1 default");

  const OutputCase cases[] = {
      {"10-bit HEVC", "hevc10.mp4", L"3", L"Normal", 320, 240, {}, 0},
      {"4:2:2 10-bit ProRes with PCM", "prores.mov", L"2", L"Low", 320, 180, {2}, 0},
      {"4:4:4", "yuv444.mkv", L"9", L"Normal", 320, 240, {}, 0},
      {"RGB", "rgb.mkv", L"8", L"Low", 320, 240, {}, 0},
      {"portrait by rotation", "portrait.mp4", L"1", L"Normal", 360, 640, {}, 0},
      {"4:3 at 50 frames a second", "four3_50fps.avi", L"2", L"Low", 640, 480, {2}, 0},
      {"anamorphic PAL 16:9", "pal_wide.avi", L"6", L"Normal", 1024, 576, {}, 0},
      {"anamorphic PAL 4:3", "pal_43.avi", L"4", L"Low", 768, 576, {}, 0},
      {"176x144 for a full HD TV", "qcif.avi", L"7", L"Normal", 176, 144, {}, 0},
      {"853x481", "odd.avi", L"5", L"Low", 853, 481, {}, 0},
      {"variable frame rate", "vfr.mkv", L"3", L"Low", 320, 240, {}, 0},
      {"5.1 for a stereo device", "surround.mkv", L"4", L"Normal", 320, 240, {2}, 0},
      {"5.1 for a surround device", "surround.mkv", L"7", L"Low", 320, 240, {6}, 0},
      {"two audio tracks and SRT", "tracks.mkv", L"2", L"Normal", 320, 240, {1, 2}, 1},
  };
  std::vector<Conversion> conversions;
  for (const auto& c : cases) conversions.push_back({dir_.File("in/" + c.source), c.device, c.quality});
  const auto runs = ConvertAll(conversions);

  for (size_t i = 0; i < std::size(cases); ++i) {
    const OutputCase& c = cases[i];
    const ProcessObject& run = *runs[i];
    SCOPED_TRACE(c.what);
    ASSERT_EQ(run.failed.load(), 0) << WideToSystem(run.log);
    EXPECT_EQ(RunVerdict(run.log), L"");
    const FormatObject* profile = FindQuality(testing::BuildCatalog(), c.device, c.quality);
    ASSERT_NE(profile, nullptr);
    const std::string output = WideToSystem(run.outputPath);
    const auto streams = ProbeStreams(output);

    const auto videos = OfType(streams, "video");
    ASSERT_EQ(videos.size(), 1u);
    const Stream& v = videos[0];
    EXPECT_EQ(v.at("codec_name"), "h264");
    EXPECT_EQ(v.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(v.at("profile"), WideToSystem(ExpectedProfileName(profile->h264Profile)));
    EXPECT_EQ(std::stoi(v.at("level")), LevelNumber(profile->h264Level));
    EXPECT_EQ(v.at("sample_aspect_ratio"), "1:1");
    // Upright as stored: no rotation left for the player to apply.
    if (v.count("rotation")) {
      EXPECT_EQ(std::abs(std::stod(v.at("rotation"))), 0.0);
    }
    const int w = std::stoi(v.at("width")), h = std::stoi(v.at("height"));
    int frame_w = 0, frame_h = 0;
    ASSERT_TRUE(ParseFrameSize(profile->solution, &frame_w, &frame_h));
    EXPECT_TRUE(w % 2 == 0 && h % 2 == 0) << w << "x" << h;
    EXPECT_TRUE(w <= frame_w && h <= frame_h) << w << "x" << h << " in " << WideToSystem(profile->solution);
    EXPECT_TRUE(w <= c.display_w && h <= c.display_h) << w << "x" << h << " from " << c.display_w << "x"
                                                      << c.display_h;
    const double source_aspect = double(c.display_w) / c.display_h;
    EXPECT_NEAR(double(w) / h / source_aspect, 1.0, 0.01) << w << "x" << h;
    // The picture uses the frame: one side reaches the frame or the source.
    EXPECT_TRUE(w >= std::min(frame_w, c.display_w) - 2 || h >= std::min(frame_h, c.display_h) - 2)
        << w << "x" << h;
    EXPECT_LE(Rate(v.at("r_frame_rate")), std::stod(WideToSystem(profile->maxFrameRate)) + 0.01);

    const auto audios = OfType(streams, "audio");
    ASSERT_EQ(audios.size(), c.channels.size());
    for (size_t a = 0; a < audios.size(); ++a) {
      EXPECT_EQ(audios[a].at("codec_name"), "aac");
      EXPECT_EQ(std::stoi(audios[a].at("channels")), c.channels[a]) << "audio track " << a;
      EXPECT_EQ(audios[a].at("disposition:default"), a == 0 ? "1" : "0") << "audio track " << a;
    }
    const auto subtitles = OfType(streams, "subtitle");
    EXPECT_EQ(static_cast<int>(subtitles.size()), c.subtitles);
    for (const auto& s : subtitles) EXPECT_EQ(s.at("codec_name"), "mov_text");

    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(run.outputPath, &bytes));
    const auto boxes = TopLevelBoxes(bytes);
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov"), mdat = std::find(boxes.begin(), boxes.end(), "mdat");
    ASSERT_TRUE(moov != boxes.end() && mdat != boxes.end());
    EXPECT_LT(moov, mdat) << "the index is not at the front";
  }
}

TEST_F(DeviceOutputTest, SourcesThatAreNoVideoOrEndEarlyGetAReason) {
  Make("music.m4a", "-f lavfi -i sine=d=1 -c:a aac");
  const std::string cover = Make("cover.jpg", "-f lavfi -i testsrc=s=64x64 -frames:v 1");
  Make("music_cover.mp3", "-f lavfi -i sine=d=1 -i " + ShellQuote(cover) +
                              " -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic");
  Make("picture.png", "-f lavfi -i testsrc=s=160x120 -frames:v 1");
  const std::string four_seconds = "-f lavfi -i testsrc=d=4:s=160x120:r=25 -f lavfi -i sine=d=4 ";
  const std::string mkv = Make("whole.mkv", four_seconds + "-c:v mpeg4 -c:a aac");
  const std::string mp4 = Make("whole.mp4", four_seconds + "-c:v libx264 -c:a aac -movflags +faststart");
  const std::string mp4_index_last = Make("whole_index_last.mp4", four_seconds + "-c:v libx264 -c:a aac");
  Truncate(mkv, "half.mkv", 50);
  Truncate(mp4, "half.mp4", 50);
  Truncate(mp4_index_last, "half_index_last.mp4", 50);

  const struct {
    const char* what;
    std::string source;
    std::wstring reason;  // the whole reason, or its start when it ends in ": "
  } cases[] = {
      {"music", "music.m4a", kNoVideoStreamReason},
      {"music with a cover picture", "music_cover.mp3", kNoVideoStreamReason},
      {"a picture", "picture.png", kStillImageReason},
      {"half of an MKV", "half.mkv", L"the source ended early: "},
      {"half of an MP4 with its index at the front", "half.mp4", L"the source ended early: "},
      {"half of an MP4 whose index was at the end", "half_index_last.mp4", kSourceUnreadableReason},
      {"a whole MKV", "whole.mkv", L""},
  };
  std::vector<Conversion> conversions;
  for (const auto& c : cases) conversions.push_back({dir_.File("in/" + c.source), L"1", L"Low"});
  const auto runs = ConvertAll(conversions);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    // What the log says of the source, else the run's own reason (its length).
    std::wstring verdict = RunVerdict(runs[i]->log);
    if (verdict.empty()) verdict = runs[i]->failureReason;
    const std::wstring& reason = cases[i].reason;
    if (reason.size() > 2 && reason.substr(reason.size() - 2) == L": ") {
      ASSERT_EQ(verdict.rfind(reason, 0), 0u) << WideToSystem(verdict);
      // "the source ended early: 2.0 s of 4.0 s converted": about half of four seconds.
      EXPECT_NE(verdict.find(L" s of 4.0 s converted"), std::wstring::npos) << WideToSystem(verdict);
      const double converted = std::stod(WideToSystem(verdict.substr(reason.size())));
      EXPECT_TRUE(converted > 0.5 && converted < 3.5) << converted;
      // The encoder itself calls this a success; the run does not.
      EXPECT_EQ(runs[i]->failed.load(), 1);
      EXPECT_EQ(runs[i]->failureReason, verdict);
    } else {
      EXPECT_EQ(verdict, reason) << WideToSystem(runs[i]->log);
      EXPECT_EQ(runs[i]->failed.load(), reason.empty() ? 0 : 1);
      EXPECT_EQ(runs[i]->failureReason.empty(), reason.empty()) << WideToSystem(runs[i]->failureReason);
    }
  }
}

// Valid clips are not refused as ended early: a camera's 1 fps clip without
// sound and 5 fps one-second clips (the encoder's last status line lags the
// end by frames, seconds at these rates), an MKV whose timestamps start at
// 10,000 s; with the probe's facts, and with the log's listing alone.
TEST_F(DeviceOutputTest, LowRatesAndLateStartsAreNoShortfall) {
  const std::string one_fps = Make("camera.mp4", "-f lavfi -i testsrc=d=10:s=160x120:r=1 -c:v libx264");
  const std::string five_fps = Make("five.mp4", "-f lavfi -i testsrc=d=1:s=160x120:r=5 -c:v libx264");
  const std::string late = Make("late.mkv", "-f lavfi -i testsrc=d=2:s=160x120:r=25 -f lavfi -i sine=d=2 "
                                            "-c:v mpeg4 -c:a aac -output_ts_offset 10000");
  const std::vector<Conversion> conversions = {{one_fps, L"1", L"Low"}, {five_fps, L"1", L"Low"},
                                               {late, L"1", L"Low"}, {one_fps, L"4", L"Normal"}};
  for (bool probed : {true, false}) {
    SCOPED_TRACE(probed ? "with the probe" : "with the listing");
    auto runs = ConvertAll(conversions, probed);
    for (const auto& run : runs) {
      EXPECT_EQ(run->failed.load(), 0) << WideToSystem(run->inputPath) << ": " << WideToSystem(run->failureReason);
    }
  }
}

// The video rate of a file in kbit/s as ffprobe reads it back.
double VideoKbit(const std::string& path) {
  const auto probe = RunCommand("ffprobe -v error -select_streams v:0 -show_entries stream=bit_rate -of csv=p=0 " +
                                ShellQuote(path));
  return std::atof(probe.out.c_str()) / 1000;
}

// A profile with a quality spends what the picture needs under its ceiling:
// a still picture far less, noise up to the ceiling, and a low-rate source
// that fits the frame up to its own rate's. The ceiling holds as the decoder
// sees it: over the clip, at most the ceiling's bits plus one buffer (twice
// the ceiling) more.
TEST_F(DeviceOutputTest, AQualitySpendsWhatThePictureNeedsUnderTheCeiling) {
  constexpr double kSeconds = 6;
  const std::string noise = "-f lavfi -i 'nullsrc=s=640x360:r=30:d=6,geq=random(1)*255:128:128,format=yuv420p' ";
  const struct {
    const char* what;
    std::string source;
    const wchar_t* device;  // Normal of it
    double ceiling_kbit;    // 0: the rule's, from the source's own rate
    double low_kbit, high_share;  // the output's rate: above low_kbit, below high_share of the bound
  } cases[] = {
      {"a still picture", Make("still.mp4", "-f lavfi -i testsrc=s=1280x720:r=30:d=6 -c:v libx264 -qp 0"), L"4", 2500,
       0, 0.1},
      {"noise to be scaled down", Make("noise.mp4", noise + "-c:v mpeg4 -q:v 8"), L"1", 500, 400, 1},
      // Alone it would come out near 2400 kbit/s at this quality.
      {"noise of a low rate that fits", Make("lowrate.mp4", noise + "-c:v libx264 -b:v 400k"), L"4", 0, 0, 1},
  };
  std::vector<Conversion> conversions;
  for (const auto& c : cases) conversions.push_back({c.source, c.device, L"Normal"});
  const auto runs = ConvertAll(conversions);
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    ASSERT_EQ(runs[i]->failed.load(), 0) << WideToSystem(runs[i]->failureReason);
    const double kbit = VideoKbit(WideToSystem(runs[i]->outputPath));
    const double ceiling =
        cases[i].ceiling_kbit > 0 ? cases[i].ceiling_kbit : VideoKbit(cases[i].source) * kSourceRateAllowance;
    EXPECT_GT(kbit, cases[i].low_kbit);
    EXPECT_LT(kbit, cases[i].high_share * ceiling * (1 + 2 / kSeconds));
  }
}

// A phone clip keeps when and where it was taken: the creation time of its
// container and tracks, the place in both forms phones write, and its
// file's date.
TEST_F(DeviceOutputTest, AClipKeepsWhenAndWhereItWasTaken) {
  const std::string taken = "creation_time=2019-12-20T10:11:12.000000Z";
  const std::string phone =
      Make("phone.mov", "-f lavfi -i testsrc=s=320x240:r=30:d=1 -f lavfi -i sine=d=1 -c:v libx264 -c:a aac "
                        "-metadata " + taken + " -metadata:s " + taken +
                        " -metadata location=+48.8584+002.2945/ "
                        "-metadata com.apple.quicktime.location.ISO6709=+48.8584+002.2945+035.000/ "
                        "-movflags use_metadata_tags");
  const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 6);
  std::filesystem::last_write_time(phone, std::chrono::floor<std::chrono::seconds>(then));
  const auto runs = ConvertAll({{phone, L"4", L"Normal"}});
  ASSERT_EQ(runs[0]->failed.load(), 0) << WideToSystem(runs[0]->failureReason);
  const std::string out = WideToSystem(runs[0]->outputPath);
  const auto tags = RunCommand("ffprobe -v error -show_entries format_tags:stream_tags=creation_time -of compact=p=0 " +
                               ShellQuote(out));
  for (const char* expected :
       {"tag:creation_time=2019-12-20T10:11:12.000000Z\ntag:creation_time=2019-12-20T10:11:12.000000Z\n",
        "tag:location=+48.8584+002.2945/", "tag:com.apple.quicktime.location.ISO6709=+48.8584+002.2945+035.000/",
        "tag:major_brand=isom"}) {
    EXPECT_NE(tags.out.find(expected), std::string::npos) << expected << " in\n" << tags.out;
  }
  EXPECT_EQ(std::filesystem::last_write_time(out), std::filesystem::last_write_time(phone));
}

// HDR pictures (HLG as phones record them, PQ as HDR10) are tone mapped to
// SDR BT.709: an 8-bit H.264 picture tagged HDR shows grey and pale on the
// devices that play it. An SDR source keeps its own colours.
TEST_F(DeviceOutputTest, HdrPicturesBecomeSdrBt709) {
  const std::string hevc10 = "-f lavfi -i testsrc2=d=1:s=640x360:r=25 -c:v libx265 -pix_fmt yuv420p10le "
                             "-x265-params log-level=error -color_primaries bt2020 -colorspace bt2020nc ";
  const std::string hlg = Make("hlg.mp4", hevc10 + "-color_trc arib-std-b67");
  const std::string pq = Make("pq.mkv", hevc10 + "-color_trc smpte2084");
  const std::string sdr = Make("sdr.mp4", "-f lavfi -i testsrc2=d=1:s=640x360:r=25 -c:v libx264 -pix_fmt yuv420p "
                                          "-color_primaries bt709 -color_trc bt709 -colorspace bt709");
  const auto runs = ConvertAll({{hlg, L"4", L"Normal"}, {pq, L"2", L"High"}, {sdr, L"4", L"Normal"}});
  for (const auto& run : runs) {
    SCOPED_TRACE(WideToSystem(run->inputPath));
    ASSERT_EQ(run->failed.load(), 0) << WideToSystem(run->failureReason) << WideToSystem(run->log);
    const auto colours = RunCommand("ffprobe -v error -select_streams v:0 -show_entries "
                                    "stream=pix_fmt,color_primaries,color_transfer,color_space -of compact=p=0 " +
                                    ShellQuote(WideToSystem(run->outputPath)));
    EXPECT_EQ(colours.out, "pix_fmt=yuv420p|color_space=bt709|color_transfer=bt709|color_primaries=bt709\n");
  }
  // The SDR source's picture is not run through the tone mapping.
  EXPECT_EQ(runs[2]->log.find(L"zscale"), std::wstring::npos);
}

// The share of frames the encoder's interlace detector finds interlaced.
double InterlacedShare(const std::string& path) {
  const auto idet = RunCommand("ffmpeg -hide_banner -nostdin -i " + ShellQuote(path) +
                               " -vf idet -an -f null - 2>&1 | grep 'Multi frame detection'");
  int tff = 0, bff = 0, progressive = 0, undetermined = 0;
  const size_t at = idet.out.find("TFF:");
  if (at == std::string::npos ||
      std::sscanf(idet.out.c_str() + at, "TFF: %d BFF: %d Progressive: %d Undetermined: %d", &tff, &bff,
                  &progressive, &undetermined) != 4) {
    ADD_FAILURE() << idet.out;
    return -1;
  }
  const int all = tff + bff + progressive + undetermined;
  return all > 0 ? static_cast<double>(tff + bff) / all : -1;
}

// An interlaced DVD picture (PAL, anamorphic, top field first) converted
// for an HD frame keeps its height, so combs would survive the scaling: the
// output must be whole frames.
TEST_F(DeviceOutputTest, AnInterlacedDvdPictureBecomesWholeFrames) {
  const std::string dvd = Make("dvd.mpg", "-f lavfi -i testsrc2=d=2:s=720x576:r=50 -vf "
                                          "tinterlace=interleave_top,setsar=64/45 -flags +ildct+ilme -top 1 "
                                          "-c:v mpeg2video -b:v 6M");
  ASSERT_GT(InterlacedShare(dvd), 0.9);
  ProcessObject run;
  run.inputPath = SystemToWide(dvd);
  run.outputPath = wout_dir() + L"/dvd.mp4";
  std::filesystem::create_directories(out_dir());
  const FormatObject* profile = FindQuality(testing::BuildCatalog(), L"4", L"Normal");  // 1280x720
  ASSERT_NE(profile, nullptr);
  std::string command;
  for (const auto& a : BuildEncoderCommand(run, profile, {}).argv) command += ShellQuote(WideToSystem(a)) + " ";
  const auto converted = RunCommand(command + "</dev/null 2>&1");
  ASSERT_EQ(converted.status, 0) << converted.out;
  const auto streams = ProbeStreams(WideToSystem(run.outputPath));
  ASSERT_EQ(OfType(streams, "video").size(), 1u);
  EXPECT_EQ(OfType(streams, "video")[0].at("height"), "576");  // not scaled down: combs would show
  EXPECT_EQ(OfType(streams, "video")[0].at("r_frame_rate"), "25/1");
  EXPECT_LT(InterlacedShare(WideToSystem(run.outputPath)), 0.2);
}

// The probe of a source before a conversion, and a run that leaves a
// subtitle track out (as it leaves out picture subtitles, which the test
// cannot make: the encoder has no way to draw them from text).
TEST_F(DeviceOutputTest, TheProbeBeforeAConversionTellsWhatTheSourceIs) {
  dir_.Write("in/subs.srt", "1\n00:00:00,000 --> 00:00:00,400\nHello\n");
  const std::string tracks = Make("tracks.mkv", "-f lavfi -i testsrc2=d=1:s=160x120:r=25 -i " +
                                                    ShellQuote(dir_.File("in/subs.srt")) +
                                                    " -map 0 -map 1 -c:v mpeg4 -c:s srt");
  SourceFacts facts;
  ASSERT_TRUE(ProbeFacts(L"/usr/bin/ffprobe", SystemToWide(tracks), 20000, &facts));
  EXPECT_EQ(facts.videoCodec, L"mpeg4");
  EXPECT_TRUE(facts.pictureSubtitles.empty());
  EXPECT_EQ(facts.hdrTransfer, L"");

  SourceTraits left_out;
  left_out.pictureSubtitles = {0};
  ProcessObject run;
  run.inputPath = SystemToWide(tracks);
  run.outputPath = wout_dir() + L"/no_subtitles.mp4";
  const FormatObject* profile = FindQuality(testing::BuildCatalog(), L"1", L"Low");
  ASSERT_NE(profile, nullptr);
  std::string command;
  for (const auto& a : BuildEncoderCommand(run, profile, left_out).argv) command += ShellQuote(WideToSystem(a)) + " ";
  const auto converted = RunCommand(command + "</dev/null 2>&1");
  ASSERT_EQ(converted.status, 0) << converted.out;
  const auto streams = ProbeStreams(WideToSystem(run.outputPath));
  EXPECT_EQ(OfType(streams, "video").size(), 1u);
  EXPECT_TRUE(OfType(streams, "subtitle").empty());
}

}  // namespace
}  // namespace cw
