// Checking outputs with ffprobe for --skip-existing.
#include "cli/output_check.h"

#include <charconv>
#include <chrono>
#include <sstream>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw::cli {

namespace {

constexpr const char* kSystemProbe = "/usr/bin/ffprobe";

bool PositiveNumber(const std::string& text) {
  double value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && value > 0;
}

}  // namespace

std::wstring ProbeProgram() {
  std::wstring encoder = CanonicalPath(ProgramFolder() + L"xenc" + ExecutableSuffix());
  size_t slash = encoder.rfind(L'/');
  if (slash != std::wstring::npos) {
    std::wstring beside = encoder.substr(0, slash + 1) + L"ffprobe" + ExecutableSuffix();
    if (RegularFileSize(beside) >= 0) return beside;
  }
  return SystemToWide(kSystemProbe);
}

OutputCheck ReadProbeOutput(const std::string& text) {
  bool video = false;
  bool duration = false;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "codec_type=video") video = true;
    if (line.rfind("duration=", 0) == 0 && PositiveNumber(line.substr(9))) duration = true;
  }
  if (!video) return {false, Tr(L"no video stream can be read from it")};
  if (!duration) return {false, Tr(L"it has no duration")};
  return {true, L""};
}

OutputCheck CheckCompleteOutput(const std::wstring& path, const std::wstring& probe, int timeout_ms) {
  long long size = RegularFileSize(path);
  if (size < 0) return {false, Tr(L"it does not exist")};
  if (size == 0) return {false, Tr(L"it is empty")};
  ChildProcess::StartError error;
  std::unique_ptr<ChildProcess> child = ChildProcess::Start(
      {probe, L"-v", L"error", L"-select_streams", L"v:0", L"-show_entries", L"stream=codec_type:format=duration",
       L"-of", L"default=noprint_wrappers=1", L"--", path},
      &error);
  if (!child) return {false, Fill(Tr(L"ffprobe cannot be started: %1"), {SystemToWide(error.reason)})};
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string output, chunk;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      child->Kill();
      child->Reap();
      return {false, Tr(L"ffprobe did not answer in time")};
    }
    ChildProcess::ReadResult got = child->ReadOutputWithin(&chunk, static_cast<int>(left.count()));
    if (got == ChildProcess::ReadResult::kClosed) break;
    if (got == ChildProcess::ReadResult::kData && output.size() < 65536) output += chunk;
  }
  if (!child->WaitForEnd(1000)) child->Kill();
  ProcessExit exit = child->Reap();
  if (!exit.SucceededNormally()) return {false, Tr(L"ffprobe cannot read it")};
  return ReadProbeOutput(output);
}

}  // namespace cw::cli
