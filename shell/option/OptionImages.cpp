// The tool bar pictures are drawn here from a few shapes, so that they need
// no resource files and look the same on every system.
#include "shell/option/OptionImages.h"

#include <cmath>

namespace km27 {

namespace {

constexpr int N = kOptionImageSize;

class Canvas {
 public:
  Canvas() { image_.width = image_.height = N, image_.pixels.assign(N * N, 0); }
  const ui::Image& Image() const { return image_; }

  void Pixel(int x, int y, uint32_t argb) {
    if (x >= 0 && y >= 0 && x < N && y < N) image_.pixels[static_cast<size_t>(y * N + x)] = argb;
  }
  void Rect(int x, int y, int w, int h, uint32_t argb) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) Pixel(i, j, argb);
  }
  void Frame(int x, int y, int w, int h, uint32_t argb) {
    Rect(x, y, w, 1, argb);
    Rect(x, y + h - 1, w, 1, argb);
    Rect(x, y, 1, h, argb);
    Rect(x + w - 1, y, 1, h, argb);
  }
  // A disc (or a ring from rInner on) around (cx, cy), in pixel centres.
  void Disc(double cx, double cy, double r, uint32_t argb, double rInner = -1) {
    for (int j = 0; j < N; ++j)
      for (int i = 0; i < N; ++i) {
        const double d = std::hypot(i + 0.5 - cx, j + 0.5 - cy);
        if (d <= r && d > rInner) Pixel(i, j, argb);
      }
  }

 private:
  ui::Image image_;
};

constexpr uint32_t kDark = 0xFF404850;
constexpr uint32_t kGrey = 0xFF8A949E;
constexpr uint32_t kLight = 0xFFE8ECF0;
constexpr uint32_t kBlue = 0xFF2A6FD6;
constexpr uint32_t kRed = 0xFFD23C32;
constexpr uint32_t kGold = 0xFFE0B040;
constexpr uint32_t kWhite = 0xFFFFFFFF;

ui::Image Gear() {
  Canvas c;
  const double pi = std::acos(-1.0);
  for (int k = 0; k < 8; ++k) {
    const double a = k * pi / 4;
    c.Disc(16 + 11 * std::cos(a), 16 + 11 * std::sin(a), 3.6, kGrey);
  }
  c.Disc(16, 16, 11, kGrey);
  c.Disc(16, 16, 5, 0);
  c.Disc(16, 16, 11, kDark, 10);
  return c.Image();
}

ui::Image Connector() {
  Canvas c;
  c.Rect(14, 22, 4, 10, kDark);  // the cable
  c.Rect(3, 6, 26, 16, kDark);
  c.Rect(5, 8, 22, 12, kGrey);
  for (int i = 0; i < 5; ++i) c.Disc(8 + i * 4, 12, 1.5, kGold);
  for (int i = 0; i < 4; ++i) c.Disc(10 + i * 4, 16.5, 1.5, kGold);
  return c.Image();
}

ui::Image TargetWindowPicture() {
  Canvas c;
  c.Rect(2, 4, 26, 22, kWhite);
  c.Rect(2, 4, 26, 5, kBlue);
  c.Frame(2, 4, 26, 22, kDark);
  c.Disc(21, 21, 8, kRed, 6);
  c.Disc(21, 21, 2, kRed);
  c.Rect(20, 11, 2, 5, kRed);
  c.Rect(20, 26, 2, 5, kRed);
  c.Rect(11, 20, 5, 2, kRed);
  c.Rect(26, 20, 5, 2, kRed);
  return c.Image();
}

ui::Image Keyboard() {
  Canvas c;
  c.Rect(1, 8, 30, 17, kDark);
  for (int row = 0; row < 3; ++row)
    for (int k = 0; k < 7 - (row == 2 ? 2 : 0); ++k) c.Rect(3 + row * 2 + k * 4, 10 + row * 4, 3, 3, kLight);
  c.Rect(9, 21, 14, 2, kLight);  // space bar
  return c.Image();
}

ui::Image Information() {
  Canvas c;
  c.Disc(16, 16, 14, kBlue);
  c.Disc(16, 9, 2.2, kWhite);
  c.Rect(14, 13, 4, 12, kWhite);
  c.Rect(12, 23, 8, 2, kWhite);
  return c.Image();
}

}  // namespace

void AddOptionImages(ui::ImageList& list) {
  for (const ui::Image& image : {Gear(), Connector(), TargetWindowPicture(), Keyboard(), Information()}) list.Add(image);
}

}  // namespace km27
