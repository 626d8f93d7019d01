// Reading an MP4's top-level boxes.
#include "tasks/output_check.h"

#include <cstdint>

#include "platform/files.h"

namespace cw {
namespace {

constexpr int kMostBoxes = 100000;

uint64_t BigEndian(const std::string& bytes, size_t at, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Walks the top-level boxes; true when they tile the file exactly, the first
// is "ftyp" and "moov" and "mdat" are among them.
bool TopLevelBoxesAreWhole(const std::wstring& path, uint64_t file_size) {
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
    movie = movie || type == "moov";
    media = media || type == "mdat";
    offset += size;
  }
  return movie && media;
}

}  // namespace

std::wstring OutputProblem(const std::wstring& path) {
  long long size = RegularFileSize(path);
  if (size < 0) return kOutputMissingReason;
  if (size == 0 || !TopLevelBoxesAreWhole(path, static_cast<uint64_t>(size))) return kOutputUnreadableReason;
  return L"";
}

}  // namespace cw
