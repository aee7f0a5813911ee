#pragma once
// The pictures of the options dialog's tool bar, one per page in page order:
// General, Communication, Target Window, Key Data, Information.
#include "ui/Components.h"

namespace km27 {

constexpr int kOptionImageSize = 32;
constexpr size_t kOptionImageCount = 5;
// Picture `index` drawn at size x size pixels (empty for an unknown index).
ui::Image DrawOptionImage(size_t index, int size);
// The pictures at their designed size; the list draws them again for
// screens of another resolution.
void AddOptionImages(ui::ImageList& list);

}  // namespace km27
