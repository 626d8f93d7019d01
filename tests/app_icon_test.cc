// The drawn window icon: a real .ico that GdkPixbuf (the window's icon
// loader) reads, with transparent corners and an opaque middle.
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

}  // namespace
