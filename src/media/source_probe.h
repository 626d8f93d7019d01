// What a source file is: the facts ffprobe reports (duration and start time,
// frame size, frame rate, video and audio codecs, HDR transfer, picture
// subtitle tracks), where ffprobe is, the argument lists that ask ffprobe
// for them and the encoder for a thumbnail frame, and the parsing of the
// answer. Every reading of a file with ffprobe goes through here.
#pragma once

#include <string>
#include <vector>

namespace cw {

struct SourceFacts {
  double durationSeconds = -1;  // -1 unknown
  int width = 0;                // 0 unknown
  int height = 0;
  double frameRate = 0;         // frames per second of the first video stream; 0 unknown
  std::wstring videoCodec;      // codec name of the first video stream; "" none
  std::wstring audioCodec;      // codec name of the first audio stream; "" none
  double startSeconds = 0;      // the first timestamp (an MKV cut from a stream may start at 10,000 s)
  // The transfer of the picture (the first video stream that is not a cover
  // image) when it is HDR: "smpte2084" (PQ) or "arib-std-b67" (HLG); "" SDR.
  std::wstring hdrTransfer;
  // The positions among the subtitle tracks (0: the first subtitle track) of
  // those whose subtitles are pictures (DVD, Blu-ray, DVB, XSUB, teletext),
  // which MP4 text subtitles cannot be made of.
  std::vector<int> pictureSubtitles;
  // The video bit rate of the picture in kbit/s: its stream's own, else the
  // whole file's (containers such as MKV list no stream rates; the audio is
  // then counted in, which errs high); 0 unknown.
  int videoKbit = 0;
  // When the clip was taken, as its container says ("2019-12-20T10:11:12.000000Z"); "" unknown.
  std::wstring creationTime;
};

// The seconds the source's timestamps span: its duration less its start
// time when that is smaller (an MKV's duration counts from zero, so one
// whose timestamps start at 10,000 s lists 10,002 s for two seconds; for
// containers whose duration leaves the start out this errs on the short,
// lenient side); -1 unknown.
double SpanSeconds(const SourceFacts& facts);

// ffprobe beside the encoder: in the program folder, else beside the program
// the encoder is a link to (Debian's /usr/bin/ffmpeg -> /usr/bin/ffprobe);
// "ffprobe.exe" on Windows. The program folder's name when neither exists
// (starting it then fails, and the facts are unknown).
std::wstring ProbeProgramPath();

// The encoder in the program folder ("xenc", "xenc.exe"), which also takes
// the thumbnail frames.
std::wstring EncoderProgramPath();

// ffprobe's arguments (after the program) for `path`: errors only, the
// format's duration and start time and each stream's type, codec, size,
// frame rate, bit rate, colour transfer and cover-image flag, and the format's
// bit rate and creation time, in ffprobe's default
// key=value sections.
std::vector<std::wstring> ProbeArguments(const std::wstring& path);

// Parses ffprobe's output as asked for by ProbeArguments. Unknown keys and
// "N/A" values are skipped; numbers are read in the C locale. Returns false
// when the output holds neither a duration nor a stream. Any thread.
bool ParseProbeOutput(const std::string& output, SourceFacts* facts);

// ffmpeg's arguments (after the program) that write one frame at `seconds`
// of `path`, scaled to fit 128x128, as a PNG to `png_path`.
std::vector<std::wstring> ThumbnailArguments(const std::wstring& path, double seconds, const std::wstring& png_path);

// Where the thumbnail frame is taken: 10 % into the source (0 when the
// duration is unknown).
double ThumbnailSeconds(double duration_seconds);

// "0:07", "1:02:03": the duration text of the row; "" when unknown.
std::wstring DurationText(double seconds);

// "h264 320x240 25 fps, aac": the details text; "" when nothing is known.
std::wstring FactsText(const SourceFacts& facts);

}  // namespace cw
