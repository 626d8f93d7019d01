// ffprobe's questions and answers about a source.
#include "media/source_probe.h"

#include <charconv>
#include <cmath>
#include <string_view>

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
  std::string type, codec;
  double width = 0, height = 0, rate = 0;
};

void TakeStream(const Stream& stream, SourceFacts* facts, bool* any) {
  *any = true;
  if (stream.type == "video" && facts->videoCodec.empty()) {
    facts->videoCodec = SystemToWide(stream.codec);
    facts->width = static_cast<int>(stream.width);
    facts->height = static_cast<int>(stream.height);
    facts->frameRate = stream.rate;
  } else if (stream.type == "audio" && facts->audioCodec.empty()) {
    facts->audioCodec = SystemToWide(stream.codec);
  }
}

std::wstring TwoDigits(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

}  // namespace

std::vector<std::wstring> ProbeArguments(const std::wstring& path) {
  return {L"-v", L"error", L"-show_entries", L"format=duration:stream=codec_type,codec_name,width,height,avg_frame_rate",
          L"-of", L"default", L"--", path};
}

bool ParseProbeOutput(const std::string& output, SourceFacts* facts) {
  SourceFacts parsed;
  Stream stream;
  bool in_stream = false, any = false;
  size_t at = 0;
  while (at < output.size()) {
    size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    std::string_view line(output.data() + at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "[STREAM]") { in_stream = true; stream = Stream(); continue; }
    if (line == "[/STREAM]") { if (in_stream) TakeStream(stream, &parsed, &any); in_stream = false; continue; }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (value == "N/A") continue;
    if (!in_stream && key == "duration") {
      double seconds = 0;
      if (ReadDouble(value, &seconds) && seconds >= 0) { parsed.durationSeconds = seconds; any = true; }
    } else if (in_stream && key == "codec_type") { stream.type = value;
    } else if (in_stream && key == "codec_name") { stream.codec = value;
    } else if (in_stream && key == "width") { ReadDouble(value, &stream.width);
    } else if (in_stream && key == "height") { ReadDouble(value, &stream.height);
    } else if (in_stream && key == "avg_frame_rate") { ReadRate(value, &stream.rate);
    }
  }
  if (!any) return false;
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
