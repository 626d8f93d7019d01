// The text chunks (tEXt) of PNG files: read the key/value pairs of a PNG and
// add pairs to one, with each chunk's CRC-32 computed as PNG requires. The
// thumbnail cache keeps a thumbnail's source URI and modification time there.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace cw {

// CRC-32 as PNG (and zlib) compute it: polynomial 0xEDB88320, reflected,
// starting from all ones and inverted at the end. Any thread.
uint32_t Crc32(std::string_view bytes);

// The tEXt pairs of a PNG (Latin-1 bytes, as stored). False when `png` is no
// PNG, a chunk runs past the end, or a chunk's CRC does not match; *pairs
// then holds what came before. Reading stops at IEND.
bool ReadPngText(std::string_view png, std::map<std::string, std::string>* pairs);

// `png` with one tEXt chunk per pair inserted right after the IHDR chunk.
// False (and *out untouched) when `png` does not start with a signature and
// an IHDR chunk, or a key is empty, longer than 79 bytes or holds a NUL.
bool AddPngText(std::string_view png, const std::map<std::string, std::string>& pairs, std::string* out);

}  // namespace cw
