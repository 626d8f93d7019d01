// ffprobe's questions and answers about a source.
#include "media/source_probe.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/files.h"
#include "platform/text.h"

namespace cw {
namespace {

bool ReadDouble(std::string_view text, double* value) {
  double parsed = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

// "30000/1001" or "25".
bool ReadRate(std::string_view text, double* rate) {
  size_t slash = text.find('/');
  double num = 0, den = 1;
  if (!ReadDouble(text.substr(0, slash), &num)) return false;
  if (slash != std::string_view::npos && !ReadDouble(text.substr(slash + 1), &den)) return false;
  if (den <= 0 || num <= 0) return false;
  *rate = num / den;
  return true;
}

struct Stream {
  std::string type, codec, transfer;
  double width = 0, height = 0, rate = 0, bitRate = 0;
  bool cover = false;  // an attached picture (a music file's cover)
};

bool IsPictureSubtitle(const std::string& codec) {
  for (const char* picture : {"dvd_subtitle", "hdmv_pgs_subtitle", "dvb_subtitle", "xsub", "dvb_teletext"}) {
    if (codec == picture) return true;
  }
  return false;
}

// What the streams tell, read in their order.
struct StreamReading {
  bool any = false;
  bool seen_picture = false;  // a video stream that is not a cover
  int subtitles = 0;
  double formatBitRate = 0;  // bits a second of the whole file; 0 unknown
};

void TakeStream(const Stream& stream, SourceFacts* facts, StreamReading* reading) {
  reading->any = true;
  if (stream.type == "video" && facts->videoCodec.empty()) {
    facts->videoCodec = SystemToWide(stream.codec);
    facts->width = static_cast<int>(stream.width);
    facts->height = static_cast<int>(stream.height);
    facts->frameRate = stream.rate;
  } else if (stream.type == "audio" && facts->audioCodec.empty()) {
    facts->audioCodec = SystemToWide(stream.codec);
  }
  if (stream.type == "video" && !stream.cover && !reading->seen_picture) {
    reading->seen_picture = true;
    facts->videoKbit = static_cast<int>(std::lround(stream.bitRate / 1000));
    if (stream.transfer == "smpte2084" || stream.transfer == "arib-std-b67") {
      facts->hdrTransfer = SystemToWide(stream.transfer);
    }
  }
  if (stream.type == "subtitle") {
    if (IsPictureSubtitle(stream.codec)) facts->pictureSubtitles.push_back(reading->subtitles);
    ++reading->subtitles;
  }
}

// The file named `name` in the folder of `path` (either separator).
std::wstring Beside(const std::wstring& path, const std::wstring& name) {
  const size_t end = path.find_last_of(L"/\\");
  return end == std::wstring::npos ? name : path.substr(0, end + 1) + name;
}

std::wstring TwoDigits(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

}  // namespace

double SpanSeconds(const SourceFacts& facts) {
  const double duration = facts.durationSeconds;
  if (duration < 0) return -1;
  return facts.startSeconds > 0 && duration > facts.startSeconds ? duration - facts.startSeconds : duration;
}

std::wstring EncoderProgramPath() { return ProgramFolder() + L"xenc" + ExecutableSuffix(); }

std::wstring ProbeProgramPath() {
  const std::wstring name = std::wstring(L"ffprobe") + ExecutableSuffix();
  const std::wstring in_program_folder = ProgramFolder() + name;
  if (RegularFileSize(in_program_folder) >= 0) return in_program_folder;
  const std::wstring encoder = CanonicalPath(EncoderProgramPath());
  const std::wstring beside_encoder = encoder.empty() ? L"" : Beside(encoder, name);
  return !beside_encoder.empty() && RegularFileSize(beside_encoder) >= 0 ? beside_encoder : in_program_folder;
}

std::vector<std::wstring> ProbeArguments(const std::wstring& path) {
  return {L"-v", L"error", L"-show_entries",
          L"format=duration,start_time,bit_rate:format_tags=creation_time:stream=codec_type,codec_name,width,height,avg_frame_rate,bit_rate,"
          L"color_transfer:"
          L"stream_disposition=attached_pic",
          L"-of", L"default", L"--", path};
}

bool ParseProbeOutput(const std::string& output, SourceFacts* facts) {
  SourceFacts parsed;
  Stream stream;
  StreamReading reading;
  bool in_stream = false;
  size_t at = 0;
  while (at < output.size()) {
    size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    std::string_view line(output.data() + at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "[STREAM]") { in_stream = true; stream = Stream(); continue; }
    if (line == "[/STREAM]") { if (in_stream) TakeStream(stream, &parsed, &reading); in_stream = false; continue; }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (value == "N/A") continue;
    if (!in_stream && key == "duration") {
      double seconds = 0;
      if (ReadDouble(value, &seconds) && seconds >= 0) { parsed.durationSeconds = seconds; reading.any = true; }
    } else if (!in_stream && key == "start_time") { ReadDouble(value, &parsed.startSeconds);
    } else if (!in_stream && key == "bit_rate") { ReadDouble(value, &reading.formatBitRate);
    } else if (!in_stream && key == "TAG:creation_time") { parsed.creationTime = SystemToWide(std::string(value));
    } else if (in_stream && key == "bit_rate") { ReadDouble(value, &stream.bitRate);
    } else if (in_stream && key == "codec_type") { stream.type = value;
    } else if (in_stream && key == "codec_name") { stream.codec = value;
    } else if (in_stream && key == "width") { ReadDouble(value, &stream.width);
    } else if (in_stream && key == "height") { ReadDouble(value, &stream.height);
    } else if (in_stream && key == "avg_frame_rate") { ReadRate(value, &stream.rate);
    } else if (in_stream && key == "color_transfer") { stream.transfer = value;
    } else if (in_stream && key == "DISPOSITION:attached_pic") { stream.cover = value == "1";
    }
  }
  if (!reading.any) return false;
  if (reading.seen_picture && parsed.videoKbit <= 0 && reading.formatBitRate > 0) {
    parsed.videoKbit = static_cast<int>(std::lround(reading.formatBitRate / 1000));
  }
  *facts = parsed;
  return true;
}

std::vector<std::wstring> ThumbnailArguments(const std::wstring& path, double seconds, const std::wstring& png_path) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 3);
  std::wstring at(buffer, result.ptr);
  return {L"-v", L"error", L"-nostdin", L"-y", L"-ss", at, L"-i", path, L"-frames:v", L"1",
          L"-vf", L"scale=128:128:force_original_aspect_ratio=decrease", L"-f", L"image2", L"-c:v", L"png", png_path};
}

double ThumbnailSeconds(double duration_seconds) {
  return duration_seconds > 0 && std::isfinite(duration_seconds) ? duration_seconds * 0.1 : 0;
}

std::wstring DurationText(double seconds) {
  if (!(seconds >= 0) || !std::isfinite(seconds) || seconds > 1e9) return L"";
  const long total = std::lround(seconds);
  const int hours = static_cast<int>(total / 3600), minutes = static_cast<int>(total / 60 % 60),
            secs = static_cast<int>(total % 60);
  if (hours > 0) return std::to_wstring(hours) + L":" + TwoDigits(minutes) + L":" + TwoDigits(secs);
  return std::to_wstring(minutes) + L":" + TwoDigits(secs);
}

std::wstring FactsText(const SourceFacts& facts) {
  std::wstring text = facts.videoCodec;
  if (facts.width > 0 && facts.height > 0) {
    text += (text.empty() ? L"" : L" ") + std::to_wstring(facts.width) + L"x" + std::to_wstring(facts.height);
  }
  if (facts.frameRate > 0) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::round(facts.frameRate * 100) / 100);
    text += (text.empty() ? L"" : L" ") + std::wstring(buffer, result.ptr) + L" fps";
  }
  if (!facts.audioCodec.empty()) text += (text.empty() ? L"" : L", ") + facts.audioCodec;
  return text;
}

}  // namespace cw
