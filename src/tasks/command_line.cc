// Building the encoder's command line from the run record and the catalog.
#include "tasks/command_line.h"

#include <algorithm>
#include <charconv>

#include "platform/text.h"
#include "platform/translate.h"

namespace cw {
namespace {

std::wstring JoinWithSpaces(const std::vector<std::wstring>& pieces) {
  std::wstring text;
  for (const auto& piece : pieces) {
    if (!text.empty()) text += L' ';
    text += piece;
  }
  return text;
}

// `value` as decimal text in the C locale.
std::wstring Decimal(int value) {
  char buffer[16];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  return SystemToWide(std::string(buffer, end));
}

// A whole positive number, all of `text`; 0 when it is anything else.
int PositiveNumber(const std::wstring& text) {
  const std::string s = WideToSystem(text);
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && value > 0 ? value : 0;
}

// The options of the plain profile format, exactly these six.
std::vector<std::wstring> PlainArguments(const FormatObject& f) {
  return {L"-s", f.solution, L"-b:v", f.videoKBS + L"k", L"-b:a", f.audioBitrate + L"k"};
}

// The audio filter that keeps at most `channels` channels: the encoder picks
// the nearest of these layouts, so a source with more is mixed down and one
// with fewer is left as it is. Empty for a count that is not a number.
std::wstring ChannelLimitFilter(const std::wstring& channels) {
  static const struct {
    int count;
    const wchar_t* layout;
  } kLayouts[] = {{1, L"mono"}, {2, L"stereo"}, {3, L"3.0"}, {4, L"4.0"},
                  {5, L"5.0"},  {6, L"5.1"},    {8, L"7.1"}};
  const int most = PositiveNumber(channels);
  std::wstring list;
  for (const auto& l : kLayouts) {
    if (l.count > most) break;
    if (!list.empty()) list += L'|';
    list += l.layout;
  }
  return list.empty() ? L"" : L"aformat=channel_layouts=" + list;
}

void Add(std::vector<std::wstring>* args, const wchar_t* option, const std::wstring& value) {
  if (value.empty()) return;
  args->push_back(option);
  args->push_back(value);
}

// Tone mapping of an HDR picture (PQ or HLG, BT.2020) to SDR BT.709: to
// linear light, the primaries to BT.709, Hable's curve, then BT.709's own
// transfer and matrix in 8-bit 4:2:0. Devices that play H.264 show 8-bit
// pictures as SDR; an HDR picture passed through would look grey and pale.
std::wstring ToneMapFilter(const std::wstring& transfer) {
  return L"zscale=tin=" + transfer + L":pin=bt2020:min=bt2020nc:t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,"
         L"tonemap=tonemap=hable:desat=0,zscale=t=bt709:m=bt709:r=tv,format=yuv420p";
}

// The picture: deinterlaced, tone mapped, and fitted inside the frame or
// forced to it like the plain format. A fitted picture is deinterlaced first
// where the source's frames say they are interlaced (DVD and broadcast
// recordings): devices show MP4 pictures as whole frames, and interlaced ones
// would show combs on every movement. Frames marked progressive pass through.
void AddPicture(const FormatObject& f, const SourceTraits& source, std::vector<std::wstring>* args) {
  int width = 0, height = 0;
  const bool fit = f.fit == L"inside" && ParseFrameSize(f.solution, &width, &height);
  std::wstring filters = fit ? L"yadif=deint=interlaced" : L"";
  if (!source.hdrTransfer.empty()) filters += (filters.empty() ? L"" : L",") + ToneMapFilter(source.hdrTransfer);
  if (fit) filters += L"," + FitInsideFilter(width, height);
  Add(args, L"-vf", filters);
  if (!fit) Add(args, L"-s", f.solution);
  if (!source.hdrTransfer.empty()) {
    args->insert(args->end(), {L"-color_primaries", L"bt709", L"-color_trc", L"bt709", L"-colorspace", L"bt709"});
  }
}

// When and where the clip was taken. The encoder copies the container's
// tags, the place a phone wrote ("location") among them; written with
// use_metadata_tags it keeps them all, Apple's
// "com.apple.quicktime.location.ISO6709" too, so the brand tags of the
// source's container are dropped (the output's own are in its header). The
// creation time, which the encoder drops when copying, is set again on the
// file and every track: galleries and photo libraries file a video by it.
void AddTimeAndPlace(const SourceTraits& source, std::vector<std::wstring>* args) {
  args->insert(args->end(), {L"-metadata", L"major_brand=", L"-metadata", L"minor_version=", L"-metadata",
                             L"compatible_brands="});
  if (source.creationTime.empty()) return;
  args->insert(args->end(), {L"-metadata", L"creation_time=" + source.creationTime, L"-metadata:s",
                             L"creation_time=" + source.creationTime});
}

// The video rate. Without a quality the profile's rate is the target the
// encoder meets on average whatever the picture needs. With one, x264 keeps
// that picture quality (CRF) and the rate is only a ceiling: over any stretch
// of the buffer's length the stream stays under it, so the decoder's buffer
// never overflows and the level's rate holds, while simple pictures take far
// less. The buffer is the profile's, at most twice the ceiling (a lowered
// ceiling keeps the same two seconds of averaging).
void AddVideoRate(const FormatObject& f, const SourceTraits& source, std::vector<std::wstring>* args) {
  const int ceiling = CeilingKbit(f, source);
  if (f.crf.empty() || ceiling == 0) {
    args->insert(args->end(), {L"-b:v", f.videoKBS + L"k"});
    return;
  }
  const int given = PositiveNumber(f.videoBuffer);
  const int buffer = given > 0 && given < 2 * ceiling ? given : 2 * ceiling;
  args->insert(args->end(), {L"-crf", f.crf, L"-maxrate", Decimal(ceiling) + L"k", L"-bufsize", Decimal(buffer) + L"k"});
}

// The options of a profile with device constraints.
std::vector<std::wstring> ConstrainedArguments(const FormatObject& f, const SourceTraits& source) {
  // The first picture that is not a cover image, every audio track and every
  // subtitle track but those left out, in source order.
  std::vector<std::wstring> args = {L"-map", L"0:V:0", L"-map", L"0:a?", L"-map", L"0:s?"};
  for (int track : source.pictureSubtitles) {
    if (track >= 0) args.insert(args.end(), {L"-map", L"-0:s:" + Decimal(track)});
  }
  AddPicture(f, source, &args);
  Add(&args, L"-pix_fmt", f.pixelFormat);
  Add(&args, L"-profile:v", f.h264Profile);
  Add(&args, L"-level:v", f.h264Level);
  // Caps the frame rate the encoder would take over from the source; lower
  // rates are kept as they are.
  Add(&args, L"-fpsmax", f.maxFrameRate);
  AddVideoRate(f, source, &args);
  args.insert(args.end(), {L"-c:a", L"aac", L"-b:a", f.audioBitrate + L"k"});
  Add(&args, L"-af", ChannelLimitFilter(f.audioChannels));
  // Only the first audio track is the default one, whatever the source says.
  args.insert(args.end(), {L"-disposition:a", L"0", L"-disposition:a:0", L"default"});
  // Text subtitles become MP4 text; the index goes to the front so that the
  // file plays while it is still being copied or downloaded.
  args.insert(args.end(), {L"-c:s", L"mov_text"});
  AddTimeAndPlace(source, &args);
  args.insert(args.end(), {L"-movflags", L"+faststart+use_metadata_tags"});
  // Every packet goes to the file as it is made, so the size the encoder
  // reports (and the expected size built on it) follows the encoding instead
  // of jumping by its write buffer. The file's bytes are the same.
  args.insert(args.end(), {L"-flush_packets", L"1"});
  return args;
}

}  // namespace

bool ParseFrameSize(const std::wstring& solution, int* width, int* height) {
  const size_t x = solution.find(L'x');
  if (x == std::wstring::npos) return false;
  *width = PositiveNumber(solution.substr(0, x));
  *height = PositiveNumber(solution.substr(x + 1));
  return *width > 0 && *height > 0;
}

std::wstring FitInsideFilter(int width, int height) {
  if (width <= 0 || height <= 0) return L"";
  const std::wstring w = Decimal(width), h = Decimal(height);
  // The display size of the upright source is iw*sar by ih; the scale filter
  // counts an unknown pixel aspect as 1. `shrink` is the one factor for both
  // sides: at most 1, so nothing is enlarged. Each side is the scaled side
  // rounded to the nearest even number, but never above the frame or the
  // source's own side, each rounded down to even. Commas are escaped for
  // the filter graph.
  const std::wstring shrink = L"min(1\\,min(" + w + L"/(iw*sar)\\," + h + L"/ih))";
  auto side = [&](const std::wstring& frame, const std::wstring& source) {
    return L"min(2*trunc(min(" + frame + L"\\," + source + L")/2+0.0001)\\,max(2\\,2*round(" + source + L"*" +
           shrink + L"/2)))";
  };
  return L"scale=w=" + side(w, L"iw*sar") + L":h=" + side(h, L"ih") + L",setsar=1";
}

int CeilingKbit(const FormatObject& format, const SourceTraits& source) {
  const int profile = PositiveNumber(format.videoKBS);
  int width = 0, height = 0;
  const bool fits = ParseFrameSize(format.solution, &width, &height) && source.width > 0 &&
                    source.width <= width && source.height > 0 && source.height <= height;
  if (!fits || source.videoKbit <= 0) return profile;
  const double own = source.videoKbit * kSourceRateAllowance;
  return own < profile ? std::max(1, static_cast<int>(own + 0.5)) : profile;
}

std::vector<std::wstring> ProfileArguments(const FormatObject& format, const SourceTraits& source) {
  return HasDeviceConstraints(format) ? ConstrainedArguments(format, source) : PlainArguments(format);
}

EncoderCommand BuildEncoderCommand(const ProcessObject& process, const FormatObject* profile,
                                   const SourceTraits& source) {
  std::vector<std::wstring> options;
  if (profile) options = ProfileArguments(*profile, source);
  EncoderCommand command;
  command.text = process.encoderPath + L" -i \"" + process.inputPath + L"\" -codec:v libx264 -y " +
                 JoinWithSpaces(options) + L"  \"" + process.outputPath + L"\" ";
  command.argv = {process.encoderPath, L"-i", process.inputPath, L"-codec:v", L"libx264", L"-y"};
  command.argv.insert(command.argv.end(), options.begin(), options.end());
  command.argv.push_back(process.outputPath);
  return command;
}

}  // namespace cw
