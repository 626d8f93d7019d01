// Tests of the thumbnail cache's names and keys.
#include "media/thumbnail_cache.h"

#include <gtest/gtest.h>

#include "media/one_pixel_png_for_tests.h"

#include "media/png_text.h"

namespace cw {
namespace {

TEST(ThumbnailCache, UrisAreEscapedAsGlibWritesThem) {
  const struct { const wchar_t* path; const char* uri; } cases[] = {
      {L"/home/jens/photos/me.png", "file:///home/jens/photos/me.png"},
      {L"/v/a b#c%d?.mkv", "file:///v/a%20b%23c%25d%3F.mkv"},
      {L"/v/caf\u00e9 (1)&[2].mp4", "file:///v/caf%C3%A9%20(1)&%5B2%5D.mp4"},
  };
  for (const auto& c : cases) EXPECT_EQ(ThumbnailUriOfPath(c.path), c.uri) << c.uri;
}

TEST(ThumbnailCache, NamesAreTheMd5OfTheUri) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  // The example of the thumbnail specification's own text.
  EXPECT_EQ(ThumbnailPathIn(L"/c/thumbnails/normal", "file:///home/jens/photos/me.png"),
            L"/c/thumbnails/normal/c6ee772d9e49320e97ec29a7eb5b1697.png");
}

TEST(ThumbnailCache, ValidOnlyWithTheSourcesUriAndTime) {
  const std::string& one_pixel = testing::kOnePixelPng;
  const std::string keyed = WithThumbnailKeys(one_pixel, "file:///a.mkv", 1234);
  ASSERT_FALSE(keyed.empty());
  EXPECT_TRUE(ThumbnailMatches(keyed, "file:///a.mkv", 1234));
  EXPECT_FALSE(ThumbnailMatches(keyed, "file:///a.mkv", 1235));  // the source changed since
  EXPECT_FALSE(ThumbnailMatches(keyed, "file:///b.mkv", 1234));
  EXPECT_FALSE(ThumbnailMatches(one_pixel, "file:///a.mkv", 1234));  // no keys at all
  EXPECT_EQ(WithThumbnailKeys("no png", "file:///a.mkv", 1), "");
}

}  // namespace
}  // namespace cw
