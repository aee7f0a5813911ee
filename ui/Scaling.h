#pragma once
// Windows are designed in pixels of a 96 dpi screen. On a screen of another
// resolution (the 125-200 % display scaling of laptops) the renderer makes
// every length of the design, every pixel-sized font and every picture larger
// by the same factor, so that nothing is clipped and nothing is stretched by
// the system afterwards. The model itself keeps the designed numbers: window
// logic moves controls in design pixels whatever the screen.
#include "ui/Components.h"

namespace km27::ui {

constexpr int kDesignDpi = 96;

// A length of the design on a screen of `dpi`, rounded to the nearest pixel.
int ScaleLength(int v, int dpi);
// A length on the screen back in design pixels (mouse positions for the model).
int UnscaleLength(int v, int dpi);

// A rectangle of the design on a screen of `dpi`. The edges are scaled, not
// the sizes, so that controls that touch in the design still touch.
Rect ScaleRect(const Rect& r, int dpi);

// The character height in pixels of a font on a screen of `dpi`: points
// through the screen's resolution, a pixel height like any other length.
int FontPixelHeight(const Font& f, int dpi);

// The picture at another size: each target pixel averages the part of the
// picture it covers (colours weighted by their opacity), so a picture made
// larger by 1.5 stays sharp at its edges and keeps its transparency.
Image ResampleImage(const Image& src, int width, int height);

}  // namespace km27::ui
