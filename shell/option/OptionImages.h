#pragma once
// The pictures of the options dialog's tool bar, one per page in page order:
// General, Communication, Target Window, Key Data, Information; and those of
// the target window page's lock buttons.
#include "ui/Components.h"

namespace km27 {

constexpr int kOptionImageSize = 32;
constexpr size_t kOptionImageCount = 5;
// Picture `index` drawn at size x size pixels (empty for an unknown index).
ui::Image DrawOptionImage(size_t index, int size);
// The pictures at their designed size; the list draws them again for
// screens of another resolution.
void AddOptionImages(ui::ImageList& list);

// The pictures of the target window page's lock buttons, in pairs of
// (Lock, Unlock): 0 and 1 while unlocked, 2 and 3 while locked. The button
// of the state in force shows in colour, the other in grey.
enum { kLockImage = 0, kUnlockImage = 1, kLockImageLocked = 2, kUnlockImageLocked = 3 };
void AddTargetLockImages(ui::ImageList& list);

}  // namespace km27
