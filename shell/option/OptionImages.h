#pragma once
// The pictures of the options dialog's tool bar, one per page in page order:
// General, Communication, Target Window, Key Data, Information.
#include "ui/Components.h"

namespace km27 {

constexpr int kOptionImageSize = 32;
void AddOptionImages(ui::ImageList& list);

}  // namespace km27
