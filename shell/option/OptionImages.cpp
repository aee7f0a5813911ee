// The tool bar pictures are drawn here from a few shapes, so that they need
// no resource files and look the same on every system.
#include "shell/option/OptionImages.h"

#include <algorithm>
#include <cmath>

namespace km27 {

namespace {

// Drawn in units of the 32-pixel design; a canvas of another size (48 at
// 144 dpi) scales every shape, so the pictures stay sharp at any size.
class Canvas {
 public:
  explicit Canvas(int size) : n_(size), s_(size / static_cast<double>(kOptionImageSize)) {
    image_.width = image_.height = n_;
    image_.pixels.assign(static_cast<size_t>(n_) * static_cast<size_t>(n_), 0);
  }
  const ui::Image& Image() const { return image_; }

  void Rect(double x, double y, double w, double h, uint32_t argb) {
    FillPixels(Edge(x), Edge(y), Edge(x + w), Edge(y + h), argb);
  }
  // A one-unit outline (at least one pixel wide at any size).
  void Frame(double x, double y, double w, double h, uint32_t argb) {
    const int l = Edge(x), t = Edge(y), r = Edge(x + w), b = Edge(y + h);
    const int line = std::max(1, static_cast<int>(std::lround(s_)));
    FillPixels(l, t, r, t + line, argb);
    FillPixels(l, b - line, r, b, argb);
    FillPixels(l, t, l + line, b, argb);
    FillPixels(r - line, t, r, b, argb);
  }
  // A disc (or a ring from rInner on) around (cx, cy), in pixel centres.
  void Disc(double cx, double cy, double r, uint32_t argb, double rInner = -1) {
    for (int j = 0; j < n_; ++j)
      for (int i = 0; i < n_; ++i) {
        const double d = std::hypot((i + 0.5) / s_ - cx, (j + 0.5) / s_ - cy);
        if (d <= r && d > rInner) Pixel(i, j, argb);
      }
  }
  // The upper half of a ring around (cx, cy): a padlock's shackle.
  void Arch(double cx, double cy, double r, double rInner, uint32_t argb) {
    for (int j = 0; j < n_ && (j + 0.5) / s_ <= cy; ++j)
      for (int i = 0; i < n_; ++i) {
        const double d = std::hypot((i + 0.5) / s_ - cx, (j + 0.5) / s_ - cy);
        if (d <= r && d > rInner) Pixel(i, j, argb);
      }
  }

 private:
  int Edge(double v) const { return static_cast<int>(std::lround(v * s_)); }
  void Pixel(int x, int y, uint32_t argb) {
    if (x >= 0 && y >= 0 && x < n_ && y < n_) image_.pixels[static_cast<size_t>(y * n_ + x)] = argb;
  }
  void FillPixels(int l, int t, int r, int b, uint32_t argb) {
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) Pixel(x, y, argb);
  }

  int n_;
  double s_;
  ui::Image image_;
};

constexpr uint32_t kDark = 0xFF404850;
constexpr uint32_t kGrey = 0xFF8A949E;
constexpr uint32_t kLight = 0xFFE8ECF0;
constexpr uint32_t kBlue = 0xFF2A6FD6;
constexpr uint32_t kRed = 0xFFD23C32;
constexpr uint32_t kGold = 0xFFE0B040;
constexpr uint32_t kWhite = 0xFFFFFFFF;

ui::Image Gear(int size) {
  Canvas c(size);
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

ui::Image Connector(int size) {
  Canvas c(size);
  c.Rect(14, 22, 4, 10, kDark);  // the cable
  c.Rect(3, 6, 26, 16, kDark);
  c.Rect(5, 8, 22, 12, kGrey);
  for (int i = 0; i < 5; ++i) c.Disc(8 + i * 4, 12, 1.5, kGold);
  for (int i = 0; i < 4; ++i) c.Disc(10 + i * 4, 16.5, 1.5, kGold);
  return c.Image();
}

ui::Image TargetWindowPicture(int size) {
  Canvas c(size);
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

ui::Image Keyboard(int size) {
  Canvas c(size);
  c.Rect(1, 8, 30, 17, kDark);
  for (int row = 0; row < 3; ++row)
    for (int k = 0; k < 7 - (row == 2 ? 2 : 0); ++k) c.Rect(3 + row * 2 + k * 4, 10 + row * 4, 3, 3, kLight);
  c.Rect(9, 21, 14, 2, kLight);  // space bar
  return c.Image();
}

ui::Image Information(int size) {
  Canvas c(size);
  c.Disc(16, 16, 14, kBlue);
  c.Disc(16, 9, 2.2, kWhite);
  c.Rect(14, 13, 4, 12, kWhite);
  c.Rect(12, 23, 8, 2, kWhite);
  return c.Image();
}

constexpr uint32_t kGreen = 0xFF2E9E4F;

// A padlock, closed or with its shackle raised and open on the right.
ui::Image Padlock(int size, bool closed, uint32_t body, uint32_t shackle) {
  Canvas c(size);
  const double top = closed ? 13 : 9;
  c.Arch(16, top, 8.5, 5, shackle);
  c.Rect(8, top - 1, 3, 18 - top + 1, shackle);  // left leg
  c.Rect(21, top - 1, 3, closed ? 18 - top + 1 : 3, shackle);
  c.Rect(5, 17, 22, 13, body);
  c.Frame(5, 17, 22, 13, kDark);
  c.Disc(16, 22, 2.2, kDark);
  c.Rect(15, 23, 2, 4, kDark);
  return c.Image();
}

ui::Image DrawLockImage(size_t index, int size) {
  switch (index) {
    case kLockImage: return Padlock(size, true, kLight, kGrey);
    case kUnlockImage: return Padlock(size, false, kGreen, kDark);
    case kLockImageLocked: return Padlock(size, true, kGold, kDark);
    case kUnlockImageLocked: return Padlock(size, false, kLight, kGrey);
    default: return ui::Image{};
  }
}

}  // namespace

ui::Image DrawOptionImage(size_t index, int size) {
  switch (index) {
    case 0: return Gear(size);
    case 1: return Connector(size);
    case 2: return TargetWindowPicture(size);
    case 3: return Keyboard(size);
    case 4: return Information(size);
    default: return ui::Image{};
  }
}

void AddOptionImages(ui::ImageList& list) {
  for (size_t i = 0; i < kOptionImageCount; ++i) list.Add(DrawOptionImage(i, kOptionImageSize));
  list.SetPainter([](size_t index, int width, int height) {
    return width == height ? DrawOptionImage(index, width) : ui::Image{};
  });
}

void AddTargetLockImages(ui::ImageList& list) {
  for (size_t i = kLockImage; i <= kUnlockImageLocked; ++i) list.Add(DrawLockImage(i, kOptionImageSize));
  list.SetPainter([](size_t index, int width, int height) {
    return width == height ? DrawLockImage(index, width) : ui::Image{};
  });
}

}  // namespace km27
