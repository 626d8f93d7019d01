// Hex coding and the DES-EDE3 / CFB-64 cipher of the catalog file.
#include "catalog/catalog_cipher.h"

#include <cryptopp/des.h>
#include <cryptopp/modes.h>

#include <cstring>

namespace cw {
namespace {

constexpr size_t kBlock = 8;

// The fixed key and initialisation vector, the same for every installation.
constexpr unsigned char kKey[24] = {0x5c, 0x19, 0xe0, 0xa4, 0x7d, 0x3b, 0x8f, 0x26, 0x61, 0xd0, 0xb7, 0xa3,
                                    0xe9, 0x4c, 0x0f, 0x58, 0x2a, 0x76, 0x13, 0xdb, 0xe8, 0x50, 0x4c, 0x9f};
constexpr unsigned char kIv[kBlock] = {0x9e, 0x41, 0xb7, 0xc0, 0x3d, 0x6a, 0x2f, 0x85};

// What each character of a catalog file is worth: 0-15 for a hex digit,
// kSpace for ASCII whitespace, kInvalid for anything else.
constexpr signed char kSpace = -1;
constexpr signed char kInvalid = -2;
struct HexTable {
  signed char value[256];
  constexpr HexTable() : value() {
    for (int c = 0; c < 256; ++c) value[c] = kInvalid;
    for (int c : {' ', '\t', '\r', '\n', '\v', '\f'}) value[c] = kSpace;
    for (int d = 0; d < 10; ++d) value['0' + d] = static_cast<signed char>(d);
    for (int d = 0; d < 6; ++d) {
      value['A' + d] = static_cast<signed char>(10 + d);
      value['a' + d] = static_cast<signed char>(10 + d);
    }
  }
};
constexpr HexTable kHex;

signed char HexValue(char c) { return kHex.value[static_cast<unsigned char>(c)]; }

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }
unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }

// The feedback register after `whole` bytes of ciphertext: the last whole
// ciphertext block, or the initialisation vector when there is none.
const unsigned char* FeedbackAfter(const unsigned char* ciphertext, size_t whole) {
  return whole == 0 ? kIv : ciphertext + whole - kBlock;
}

// XORs the key stream of one feedback register into a tail shorter than a block.
void XorTail(const unsigned char* feedback, const unsigned char* in, unsigned char* out, size_t n) {
  CryptoPP::DES_EDE3::Encryption block(kKey, sizeof kKey);
  unsigned char stream[kBlock];
  block.ProcessBlock(feedback, stream);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(in[i] ^ stream[i]);
}

}  // namespace

bool HexToBytes(std::string_view text, std::string* bytes) {
  bytes->clear();
  size_t digits = 0;
  for (char c : text) {
    const signed char v = HexValue(c);
    if (v == kInvalid) return false;
    digits += v >= 0;
  }
  bytes->resize((digits + 1) / 2);
  // With an odd count the first digit stands alone, as if a '0' came before it.
  size_t out = 0;
  int high = digits % 2 != 0 ? 0 : -1;  // the pending high digit, or -1
  for (char c : text) {
    const signed char v = HexValue(c);
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      (*bytes)[out++] = static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  return true;
}

std::string BytesToHex(std::string_view bytes, size_t digits_per_line) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2 + (digits_per_line ? bytes.size() * 2 / digits_per_line + 1 : 0));
  size_t on_line = 0;
  for (unsigned char b : bytes) {
    for (int digit : {b >> 4, b & 0xF}) {
      hex += kDigits[digit];
      if (digits_per_line && ++on_line == digits_per_line) {
        hex += '\n';
        on_line = 0;
      }
    }
  }
  if (digits_per_line && on_line != 0) hex += '\n';
  return hex;
}

std::string DecryptCatalogBytes(std::string_view bytes) {
  std::string plain(bytes.size(), '\0');
  const size_t whole = bytes.size() - bytes.size() % kBlock;
  if (whole > 0) {
    CryptoPP::CFB_FIPS_Mode<CryptoPP::DES_EDE3>::Decryption cipher;
    cipher.SetKeyWithIV(kKey, sizeof kKey, kIv, sizeof kIv);
    cipher.ProcessData(Bytes(plain), Bytes(bytes), whole);
  }
  if (whole < bytes.size()) {
    XorTail(FeedbackAfter(Bytes(bytes), whole), Bytes(bytes) + whole, Bytes(plain) + whole, bytes.size() - whole);
  }
  plain.resize(std::strlen(plain.c_str()));  // the text ends at its first zero byte
  return plain;
}

std::string EncryptCatalogBytes(std::string_view bytes) {
  std::string cipher_text(bytes.size(), '\0');
  const size_t whole = bytes.size() - bytes.size() % kBlock;
  if (whole > 0) {
    CryptoPP::CFB_FIPS_Mode<CryptoPP::DES_EDE3>::Encryption cipher;
    cipher.SetKeyWithIV(kKey, sizeof kKey, kIv, sizeof kIv);
    cipher.ProcessData(Bytes(cipher_text), Bytes(bytes), whole);
  }
  if (whole < bytes.size()) {
    XorTail(FeedbackAfter(Bytes(cipher_text), whole), Bytes(bytes) + whole, Bytes(cipher_text) + whole,
            bytes.size() - whole);
  }
  return cipher_text;
}

std::string PadToWholeBlocks(std::string_view text) {
  std::string padded(text);
  padded.resize((text.size() + kBlock - 1) / kBlock * kBlock, '\0');
  return padded;
}

}  // namespace cw
