// Tests of the hex coding and the catalog cipher, against known answers made
// by an independent implementation (OpenSSL's des-ede3-cfb).
#include "catalog/catalog_cipher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cw {
namespace {

std::string Hex(std::string_view text) {
  std::string bytes;
  EXPECT_TRUE(HexToBytes(text, &bytes)) << text;
  return bytes;
}

TEST(HexToBytes, DecodesDigitPairs) {
  struct Case {
    std::string text;
    std::string bytes;
  } cases[] = {
      {"", ""},
      {"00", std::string(1, '\0')},
      {"41", "A"},
      {"4142", "AB"},
      {"ABC", "\x0A\xBC"},  // odd count: a '0' in front
      {"F", "\x0F"},
      {"abcdef", "\xAB\xCD\xEF"},
      {"ABCDEF", "\xAB\xCD\xEF"},
      {"aBcDeF", "\xAB\xCD\xEF"},
      {"41\n42\n", "AB"},
      {"41\r\n42\r\n", "AB"},
      {" 4 1\t42 \f\v", "AB"},  // whitespace never splits a pair differently
      {"4\n1", "A"},
      {"0\n\nA\nBC", "\x0A\xBC"},  // odd count across lines
      {"\n\r\n  ", ""},
  };
  for (const auto& c : cases) {
    std::string bytes = "stale";
    ASSERT_TRUE(HexToBytes(c.text, &bytes)) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;
  }
}

TEST(HexToBytes, RejectsEveryOtherCharacter) {
  for (const std::string& text : std::vector<std::string>{"G0", "41 4g", "0x41", "41-42", "\xEF\xBB\xBF" "41", std::string("41\0" "42", 5), "4142;",
                           "\x80"}) {
    std::string bytes = "stale";
    EXPECT_FALSE(HexToBytes(text, &bytes)) << text;
    EXPECT_TRUE(bytes.empty()) << text;
  }
}

TEST(BytesToHex, UpperCaseWrappedAndRoundTrips) {
  EXPECT_EQ(BytesToHex(""), "");
  EXPECT_EQ(BytesToHex("", 4), "");
  EXPECT_EQ(BytesToHex("\x0A\xBC\xFF"), "0ABCFF");
  EXPECT_EQ(BytesToHex("\x0A\xBC\xFF", 4), "0ABC\nFF\n");
  EXPECT_EQ(BytesToHex(std::string("\x0A\xBC\xFF\x00", 4), 4), "0ABC\nFF00\n");
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(Hex(BytesToHex(all, 64)), all);
  EXPECT_EQ(Hex(BytesToHex(all, 7)), all);
}

// Key stream known answers: openssl enc -des-ede3-cfb -K <key> -iv <iv> -nosalt.
struct KnownAnswer {
  std::string plain;
  std::string cipher_hex;
};
const KnownAnswer kKnownAnswers[] = {
    {"ABCDEFGHIJKLMNOP", "3e4e6f8f7355a039d75a8d78654dba11"},  // two whole blocks
    {"{\"a\":1}", "042e4de90c229a"},                           // a tail only
    {"x", "07"},
    {"hello world, this is 21", "176940a75933901e7da8a4549349df5a23b7bea19269cf"},  // blocks + tail
};

TEST(CatalogCipher, DecryptsKnownAnswers) {
  for (const auto& k : kKnownAnswers) {
    EXPECT_EQ(DecryptCatalogBytes(Hex(k.cipher_hex)), k.plain) << k.cipher_hex;
  }
}

TEST(CatalogCipher, EncryptsKnownAnswers) {
  for (const auto& k : kKnownAnswers) {
    EXPECT_EQ(BytesToHex(EncryptCatalogBytes(k.plain)), BytesToHex(Hex(k.cipher_hex))) << k.plain;
  }
}

TEST(CatalogCipher, RoundTripsEveryLength) {
  std::string plain;
  for (int n = 0; n <= 40; ++n) {
    const std::string cipher_text = EncryptCatalogBytes(plain);
    ASSERT_EQ(cipher_text.size(), plain.size());
    if (n >= 8) {
      EXPECT_NE(cipher_text.substr(0, 8), plain.substr(0, 8));
    }
    EXPECT_EQ(DecryptCatalogBytes(cipher_text), plain) << n;
    plain += static_cast<char>('a' + n % 26);
  }
}

TEST(CatalogCipher, PlaintextEndsAtFirstZeroByte) {
  EXPECT_EQ(DecryptCatalogBytes(EncryptCatalogBytes(std::string("{\"a\":1}\0{\"b\":2}", 15))), "{\"a\":1}");
  EXPECT_EQ(DecryptCatalogBytes(EncryptCatalogBytes(std::string("\0abc", 4))), "");
  EXPECT_EQ(DecryptCatalogBytes(EncryptCatalogBytes(PadToWholeBlocks("{\"a\":1}\n"))), "{\"a\":1}\n");
  EXPECT_EQ(DecryptCatalogBytes(""), "");
}

TEST(CatalogCipher, PadsWithZerosToWholeBlocks) {
  EXPECT_EQ(PadToWholeBlocks(""), "");
  EXPECT_EQ(PadToWholeBlocks("abc"), std::string("abc\0\0\0\0\0", 8));
  EXPECT_EQ(PadToWholeBlocks("abcdefgh"), "abcdefgh");
  EXPECT_EQ(PadToWholeBlocks("abcdefghi").size(), 16u);
}

}  // namespace
}  // namespace cw
