// The drawn window icon: a real .ico that GdkPixbuf (the window's icon
// loader) reads, with transparent corners and an opaque middle, large
// enough for a screen of scale 2.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <string>

namespace {

int AlphaAt(GdkPixbuf* pixbuf, int x, int y) {
  const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
  int stride = gdk_pixbuf_get_rowstride(pixbuf);
  int channels = gdk_pixbuf_get_n_channels(pixbuf);
  return pixels[y * stride + x * channels + 3];
}

TEST(AppIcon, GdkPixbufReadsItWithTransparency) {
  std::string path = std::string(CW_BUILD_DIR) + "/app.ico";
  GError* error = nullptr;
  GdkPixbuf* icon = gdk_pixbuf_new_from_file(path.c_str(), &error);
  ASSERT_NE(icon, nullptr) << (error ? error->message : "no error text");
  int w = gdk_pixbuf_get_width(icon), h = gdk_pixbuf_get_height(icon);
  EXPECT_EQ(w, h);
  EXPECT_GE(w, 32);
  ASSERT_TRUE(gdk_pixbuf_get_has_alpha(icon));
  EXPECT_EQ(AlphaAt(icon, 0, 0), 0);
  EXPECT_EQ(AlphaAt(icon, w - 1, h - 1), 0);
  EXPECT_EQ(AlphaAt(icon, w / 2, h / 2), 255);
  g_object_unref(icon);
}

// On a screen of scale 2 the window manager shows the icon at up to 128
// device pixels (a 64-pixel place doubled), and more in overviews; the image
// the window loads has to be at least that large, or it is an enlargement.
TEST(AppIcon, TheWindowLoadsAnImageLargeEnoughForScaleTwo) {
  std::string path = std::string(CW_BUILD_DIR) + "/app.ico";
  GError* error = nullptr;
  GdkPixbuf* icon = gdk_pixbuf_new_from_file(path.c_str(), &error);
  ASSERT_NE(icon, nullptr) << (error ? error->message : "no error text");
  EXPECT_EQ(gdk_pixbuf_get_width(icon), 256);
  EXPECT_EQ(gdk_pixbuf_get_height(icon), 256);
  // Drawn at that size, not enlarged: down the middle column, the top edge
  // goes from clear to opaque within two pixels (an enlarged 48-pixel
  // image would ramp over five or more).
  int soft = 0;
  for (int y = 0; y < 40; ++y) {
    int a = AlphaAt(icon, 128, y);
    if (a > 0 && a < 255) ++soft;
  }
  EXPECT_LE(soft, 2) << "the top edge is blurred over " << soft << " pixels";
  g_object_unref(icon);
}

}  // namespace
