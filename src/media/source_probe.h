// What a source file is: the facts ffprobe reports (duration, frame size,
// frame rate, video and audio codecs), the argument lists that ask ffprobe
// for them and ffmpeg for a thumbnail frame, and the parsing of the answer.
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
};

// ffprobe's arguments (after the program) for `path`: errors only, the
// format's duration and each stream's type, codec, size and frame rate, in
// ffprobe's default key=value sections.
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
