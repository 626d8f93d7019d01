// Tests of PNG text chunks and their CRC-32.
#include "media/png_text.h"

#include <gtest/gtest.h>

#include "media/one_pixel_png_for_tests.h"

namespace cw {
namespace {

TEST(Crc32, MatchesTheStandardCheckValues) {
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32("IEND"), 0xAE426082u);  // the CRC every PNG ends with
}

TEST(PngText, AddedPairsReadBack) {
  std::map<std::string, std::string> none;
  ASSERT_TRUE(ReadPngText(testing::kOnePixelPng, &none));
  EXPECT_TRUE(none.empty());
  std::string keyed;
  ASSERT_TRUE(AddPngText(testing::kOnePixelPng, {{"Thumb::URI", "file:///a%20b.mkv"}, {"Thumb::MTime", "1700000000"}}, &keyed));
  std::map<std::string, std::string> pairs;
  ASSERT_TRUE(ReadPngText(keyed, &pairs));
  EXPECT_EQ(pairs["Thumb::URI"], "file:///a%20b.mkv");
  EXPECT_EQ(pairs["Thumb::MTime"], "1700000000");
  EXPECT_EQ(keyed.size(), testing::kOnePixelPng.size() + 2 * 12 + 10 + 1 + 17 + 12 + 1 + 10);
}

TEST(PngText, RefusesWhatIsNoPngOrDamaged) {
  std::string keyed;
  ASSERT_TRUE(AddPngText(testing::kOnePixelPng, {{"Thumb::URI", "file:///x"}}, &keyed));
  std::string damaged = keyed;
  damaged[40] ^= 1;  // inside the tEXt chunk, after IHDR
  std::map<std::string, std::string> pairs;
  EXPECT_FALSE(ReadPngText(damaged, &pairs));
  EXPECT_FALSE(ReadPngText(keyed.substr(0, keyed.size() - 5), &pairs));
  EXPECT_FALSE(ReadPngText("GIF89a", &pairs));
  std::string out = "untouched";
  EXPECT_FALSE(AddPngText("not a png", {{"k", "v"}}, &out));
  EXPECT_FALSE(AddPngText(testing::kOnePixelPng, {{"", "v"}}, &out));
  EXPECT_FALSE(AddPngText(testing::kOnePixelPng, {{std::string(80, 'k'), "v"}}, &out));
  EXPECT_FALSE(AddPngText(testing::kOnePixelPng, {{"k", std::string("a\0b", 3)}}, &out));
  EXPECT_EQ(out, "untouched");
}

}  // namespace
}  // namespace cw
