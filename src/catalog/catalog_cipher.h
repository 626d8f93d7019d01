// The byte level of the catalog file data.dat: hexadecimal text <-> bytes, and
// the Triple-DES (DES-EDE3) cipher in 64-bit cipher-feedback mode under the
// program's fixed key and initialisation vector.
//
// All functions are pure and may be called from any thread.
#pragma once

#include <string>
#include <string_view>

namespace cw {

// Decodes hexadecimal text into bytes. Hex digits of either case carry the
// data, two per byte, the first digit giving the high four bits; when the
// number of digits is odd a '0' digit is assumed in front of the first one.
// ASCII whitespace (space, tab, CR, LF, VT, FF) anywhere is ignored, so the
// digits may be wrapped or indented. Any other character means the text is
// not a catalog file: the function returns false and leaves *bytes empty.
bool HexToBytes(std::string_view text, std::string* bytes);

// Encodes bytes as upper-case hexadecimal text, a line end ("\n") after every
// `digits_per_line` digits and after the last one (no line ends at all when
// digits_per_line is 0).
std::string BytesToHex(std::string_view bytes, size_t digits_per_line = 0);

// Decrypts a catalog ciphertext and returns the plaintext as narrow text,
// ending at its first zero byte. Whole 8-byte blocks are decrypted in
// 64-bit cipher-feedback mode; a shorter tail after them is decrypted with the
// same feedback (the key stream of the last ciphertext block), as standard CFB
// does with a final partial segment. An empty input gives an empty text.
std::string DecryptCatalogBytes(std::string_view bytes);

// Encrypts bytes with the same cipher, key and initialisation vector; the
// exact inverse of DecryptCatalogBytes for inputs of any length (before the
// cut at the first zero byte).
std::string EncryptCatalogBytes(std::string_view bytes);

// The plaintext the catalog generator encrypts: `text` followed by zero bytes
// up to a whole number of 8-byte blocks (none when it already is one).
std::string PadToWholeBlocks(std::string_view text);

}  // namespace cw
