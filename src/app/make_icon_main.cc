// Draws the program's icon (a rounded blue square with a white "play" mark
// over a film strip edge) and writes it as a Windows .ico file with images
// from 256x256 down to 16x16, for the window icon: the window loads the
// largest, so that it stays sharp on a screen of scale 2 (and the window
// manager scales it down for small places). Usage: make_icon OUTPUT.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgba {
  double r, g, b, a;
};

// Colour of one point of the picture, in a 0..1 square.
Rgba Sample(double x, double y) {
  const double radius = 0.2, inset = 0.04;
  double lo = inset, hi = 1.0 - inset;
  // Rounded square.
  double cx = std::clamp(x, lo + radius, hi - radius);
  double cy = std::clamp(y, lo + radius, hi - radius);
  double dx = x - cx, dy = y - cy;
  bool inside = x >= lo && x <= hi && y >= lo && y <= hi && dx * dx + dy * dy <= radius * radius;
  if (!inside) return {0, 0, 0, 0};
  // Vertical gradient from sky blue to deep blue.
  double t = (y - lo) / (hi - lo);
  Rgba c{0.22 + (0.11 - 0.22) * t, 0.62 + (0.35 - 0.62) * t, 0.95 + (0.85 - 0.95) * t, 1.0};
  // Film strip holes along the left and right edges.
  for (double hx : {0.14, 0.86}) {
    for (int i = 0; i < 4; ++i) {
      double hy = 0.2 + i * 0.2;
      if (std::fabs(x - hx) < 0.035 && std::fabs(y - hy) < 0.045) return {1, 1, 1, 0.85};
    }
  }
  // Play triangle pointing right.
  double px = x - 0.36, py = y - 0.5;
  if (px >= 0 && px <= 0.36 && std::fabs(py) <= 0.24 * (1.0 - px / 0.36)) return {1, 1, 1, 1};
  return c;
}

// One image, supersampled 4x4, as bottom-up BGRA rows.
std::vector<uint8_t> Draw(int size) {
  std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
  const int n = 4;
  for (int row = 0; row < size; ++row) {
    for (int col = 0; col < size; ++col) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
          Rgba c = Sample((col + (sx + 0.5) / n) / size, (row + (sy + 0.5) / n) / size);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      size_t at = (static_cast<size_t>(size - 1 - row) * size + col) * 4;
      double alpha = a / (n * n);
      auto channel = [&](double premultiplied) {
        return static_cast<uint8_t>(a > 0 ? std::lround(255.0 * premultiplied / a) : 0);
      };
      pixels[at + 0] = channel(b);
      pixels[at + 1] = channel(g);
      pixels[at + 2] = channel(r);
      pixels[at + 3] = static_cast<uint8_t>(std::lround(255.0 * alpha));
    }
  }
  return pixels;
}

void Put16(std::string* out, unsigned v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A BMP image as an icon stores it: header with doubled height, colour rows,
// then an all-clear AND mask (the alpha channel does the masking).
std::string IconImage(int size) {
  std::vector<uint8_t> pixels = Draw(size);
  uint32_t mask_row = static_cast<uint32_t>(((size + 31) / 32) * 4);
  std::string out;
  Put32(&out, 40);
  Put32(&out, static_cast<uint32_t>(size));
  Put32(&out, static_cast<uint32_t>(size * 2));
  Put16(&out, 1);
  Put16(&out, 32);
  Put32(&out, 0);
  Put32(&out, static_cast<uint32_t>(pixels.size() + mask_row * size));
  for (int i = 0; i < 4; ++i) Put32(&out, 0);
  out.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
  out.append(static_cast<size_t>(mask_row) * size, '\0');
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
    return 2;
  }
  const int sizes[] = {256, 128, 64, 48, 32, 16};
  std::vector<std::string> images;
  for (int s : sizes) images.push_back(IconImage(s));
  std::string file;
  Put16(&file, 0);
  Put16(&file, 1);
  Put16(&file, static_cast<unsigned>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<char>(sizes[i] & 0xFF));  // 0 stands for 256
    file.push_back(static_cast<char>(sizes[i] & 0xFF));
    file.push_back(0);
    file.push_back(0);
    Put16(&file, 1);
    Put16(&file, 32);
    Put32(&file, static_cast<uint32_t>(images[i].size()));
    Put32(&file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& image : images) file += image;
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  ok = std::fclose(f) == 0 && ok;
  return ok ? 0 : 1;
}
