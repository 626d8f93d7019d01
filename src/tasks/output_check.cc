// Reading an MP4's top-level boxes.
#include "tasks/output_check.h"

#include <cstdint>

#include "analysis/run_verdict.h"
#include "platform/files.h"

namespace cw {
namespace {

constexpr int kMostBoxes = 100000;

uint64_t BigEndian(const std::string& bytes, size_t at, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The milliseconds of the movie header ("mvhd") among the first boxes inside
// the "moov" box at `moov` (its body from `body` to `end`); -1 when none
// can be read.
int32_t MovieHeaderMs(const std::wstring& path, uint64_t body, uint64_t end) {
  for (int count = 0; body + 8 <= end && count < 16; ++count) {
    std::string header;
    if (!ReadFileRange(path, static_cast<long long>(body), 40, &header) || header.size() < 8) return -1;
    const uint64_t size = BigEndian(header, 0, 4);
    if (header.substr(4, 4) == "mvhd" && header.size() >= 40) {
      // version 0: 4-byte times, timescale, 4-byte duration; version 1: 8-byte times and duration.
      const bool wide = header[8] == 1;
      const uint64_t timescale = BigEndian(header, wide ? 28 : 20, 4);
      const uint64_t duration = BigEndian(header, wide ? 32 : 24, wide ? 8 : 4);
      if (timescale == 0 || (!wide && duration == 0xFFFFFFFF)) return -1;
      const double ms = static_cast<double>(duration) * 1000.0 / static_cast<double>(timescale);
      return ms < 2e9 ? static_cast<int32_t>(ms + 0.5) : -1;
    }
    if (size < 8) return -1;
    body += size;
  }
  return -1;
}

// Walks the top-level boxes; true when they tile the file exactly, the first
// is "ftyp" and "moov" and "mdat" are among them. *duration_ms gets the
// movie header's duration (-1 when unreadable).
bool TopLevelBoxesAreWhole(const std::wstring& path, uint64_t file_size, int32_t* duration_ms) {
  *duration_ms = -1;
  uint64_t offset = 0;
  bool movie = false, media = false;
  for (int count = 0; offset < file_size; ++count) {
    if (count >= kMostBoxes) return false;
    std::string header;
    if (!ReadFileRange(path, static_cast<long long>(offset), 16, &header) || header.size() < 8) return false;
    uint64_t size = BigEndian(header, 0, 4);
    const std::string type = header.substr(4, 4);
    uint64_t header_size = 8;
    if (size == 1) {  // a 64-bit size follows the type
      if (header.size() < 16) return false;
      size = BigEndian(header, 8, 8);
      header_size = 16;
    } else if (size == 0) {  // the box runs to the end of the file
      size = file_size - offset;
    }
    if (size < header_size || size > file_size - offset) return false;
    if (count == 0 && type != "ftyp") return false;
    if (type == "moov" && !movie) *duration_ms = MovieHeaderMs(path, offset + header_size, offset + size);
    movie = movie || type == "moov";
    media = media || type == "mdat";
    offset += size;
  }
  return movie && media;
}

// OutputProblem, with the movie header's duration.
std::wstring ReadOutput(const std::wstring& path, int32_t* duration_ms) {
  *duration_ms = -1;
  long long size = RegularFileSize(path);
  if (size < 0) return kOutputMissingReason;
  if (size == 0 || !TopLevelBoxesAreWhole(path, static_cast<uint64_t>(size), duration_ms)) {
    *duration_ms = -1;
    return kOutputUnreadableReason;
  }
  return L"";
}

}  // namespace

std::wstring OutputProblem(const std::wstring& path) {
  int32_t duration_ms;
  return ReadOutput(path, &duration_ms);
}

int32_t OutputDurationMs(const std::wstring& path) {
  int32_t duration_ms;
  ReadOutput(path, &duration_ms);
  return duration_ms;
}

std::wstring CompleteOutputProblem(const std::wstring& path, int32_t source_ms) {
  int32_t duration_ms;
  std::wstring problem = ReadOutput(path, &duration_ms);
  return problem.empty() ? ShortOutputReason(duration_ms, source_ms) : problem;
}

}  // namespace cw
