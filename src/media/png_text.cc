// PNG text chunks and the CRC-32 they carry.
#include "media/png_text.h"

#include <array>

namespace cw {
namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

uint32_t ReadBig32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void AppendBig32(std::string* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) *out += static_cast<char>(value >> shift & 0xFF);
}

void AppendChunk(std::string* out, std::string_view type, std::string_view data) {
  AppendBig32(out, static_cast<uint32_t>(data.size()));
  std::string body(type);
  body += data;
  *out += body;
  AppendBig32(out, Crc32(body));
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (char byte : bytes) c = table[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

bool ReadPngText(std::string_view png, std::map<std::string, std::string>* pairs) {
  if (png.substr(0, kSignature.size()) != kSignature) return false;
  size_t at = kSignature.size();
  while (at + 12 <= png.size()) {
    const uint32_t length = ReadBig32(png, at);
    if (length > png.size() - at - 12) return false;
    std::string_view body = png.substr(at + 4, 4 + length);
    if (Crc32(body) != ReadBig32(png, at + 8 + length)) return false;
    std::string_view type = body.substr(0, 4);
    if (type == "IEND") return true;
    if (type == "tEXt") {
      std::string_view data = body.substr(4);
      size_t nul = data.find('\0');
      if (nul != std::string_view::npos) (*pairs)[std::string(data.substr(0, nul))] = std::string(data.substr(nul + 1));
    }
    at += 12 + length;
  }
  return false;
}

bool AddPngText(std::string_view png, const std::map<std::string, std::string>& pairs, std::string* out) {
  const size_t ihdr_at = kSignature.size();
  if (png.substr(0, ihdr_at) != kSignature || png.size() < ihdr_at + 12) return false;
  if (png.substr(ihdr_at + 4, 4) != "IHDR") return false;
  const uint32_t ihdr_length = ReadBig32(png, ihdr_at);
  if (ihdr_length > png.size() - ihdr_at - 12) return false;
  for (const auto& [key, value] : pairs) {
    if (key.empty() || key.size() > 79 || key.find('\0') != std::string::npos) return false;
    if (value.find('\0') != std::string::npos) return false;
  }
  const size_t after_ihdr = ihdr_at + 12 + ihdr_length;
  std::string result(png.substr(0, after_ihdr));
  for (const auto& [key, value] : pairs) AppendChunk(&result, "tEXt", key + std::string(1, '\0') + value);
  result += png.substr(after_ihdr);
  *out = std::move(result);
  return true;
}

}  // namespace cw
