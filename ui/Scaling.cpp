#include "ui/Scaling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace km27::ui {

namespace {

// v * num / den rounded to the nearest integer, halves away from zero (as the
// system's MulDiv rounds, so the renderer and the tests agree to the pixel).
int MulDivRound(int v, int num, int den) {
  if (den <= 0) return v;
  const int64_t p = static_cast<int64_t>(v) * num;
  const int64_t half = den / 2;
  return static_cast<int>(p >= 0 ? (p + half) / den : -((-p + half) / den));
}

int ValidDpi(int dpi) { return dpi > 0 ? dpi : kDesignDpi; }

}  // namespace

int ScaleLength(int v, int dpi) { return MulDivRound(v, ValidDpi(dpi), kDesignDpi); }

int UnscaleLength(int v, int dpi) { return MulDivRound(v, kDesignDpi, ValidDpi(dpi)); }

Rect ScaleRect(const Rect& r, int dpi) {
  const int left = ScaleLength(r.left, dpi), top = ScaleLength(r.top, dpi);
  return Rect{left, top, ScaleLength(r.left + r.width, dpi) - left, ScaleLength(r.top + r.height, dpi) - top};
}

int FontPixelHeight(const Font& f, int dpi) {
  if (f.height != 0) return ScaleLength(std::abs(f.height), dpi);
  return MulDivRound(f.size, ValidDpi(dpi), 72);
}

Image ResampleImage(const Image& src, int width, int height) {
  Image out{width, height, {}};
  if (width <= 0 || height <= 0) return Image{};
  out.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  if (src.width <= 0 || src.height <= 0 ||
      src.pixels.size() != static_cast<size_t>(src.width) * static_cast<size_t>(src.height))
    return out;
  if (src.width == width && src.height == height) return src;
  const double sx = static_cast<double>(src.width) / width, sy = static_cast<double>(src.height) / height;
  for (int ty = 0; ty < height; ++ty) {
    const double y0 = ty * sy, y1 = (ty + 1) * sy;
    for (int tx = 0; tx < width; ++tx) {
      const double x0 = tx * sx, x1 = (tx + 1) * sx;
      double area = 0, alpha = 0, r = 0, g = 0, b = 0;
      for (int y = static_cast<int>(y0); y < src.height && y < y1; ++y) {
        const double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
        for (int x = static_cast<int>(x0); x < src.width && x < x1; ++x) {
          const double w = wy * (std::min<double>(x + 1, x1) - std::max<double>(x, x0));
          if (w <= 0) continue;
          const uint32_t p = src.pixels[static_cast<size_t>(y) * static_cast<size_t>(src.width) + static_cast<size_t>(x)];
          const double a = ((p >> 24) & 0xFF) * w;
          area += w;
          alpha += a;
          r += ((p >> 16) & 0xFF) * a;
          g += ((p >> 8) & 0xFF) * a;
          b += (p & 0xFF) * a;
        }
      }
      if (area <= 0 || alpha <= 0) continue;  // transparent
      auto channel = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
      out.pixels[static_cast<size_t>(ty) * static_cast<size_t>(width) + static_cast<size_t>(tx)] =
          channel(alpha / area) << 24 | channel(r / alpha) << 16 | channel(g / alpha) << 8 | channel(b / alpha);
    }
  }
  return out;
}

}  // namespace km27::ui
