// The program's windows on screens of 96 and 144 dpi: every control lies
// inside its container and the client area, boxes and fonts grow by the
// same factor, and the tool bar's and lock buttons' pictures are drawn again
// at their size.
#include <gtest/gtest.h>

#include <set>

#include "keyboard/KeyCode.h"
#include "keyboard/ReadData.h"
#include "shell/option/OptionImages.h"
#include "shell/option/TargetWindowPage.h"
#include "tests/shell_option/OptionFixture.h"
#include "tests/support/LayoutChecks.h"
#include "ui/FormLayout.h"

namespace km27::test {
namespace {

using ui::Rect;

class ScreenScaling : public OptionFixture {};

TEST_F(ScreenScaling, EveryWindowKeepsItsControlsInsideAtBothResolutions) {
  ShowOption();
  TfrmKeyCode keyCode;
  TfrmReadData readData;
  for (int dpi : {96, 144}) {
    tk.dpi = dpi;
    for (const ui::Form* f : {static_cast<const ui::Form*>(main.get()), static_cast<const ui::Form*>(comm.get()),
                              static_cast<const ui::Form*>(option.get()), static_cast<const ui::Form*>(&keyCode),
                              static_cast<const ui::Form*>(&readData)})
      ExpectControlsInside(*f, tk.ScreenDpi());
  }
}

TEST_F(ScreenScaling, MainWindowAndMonitorAtOneHundredFortyFourDpi) {
  CreateMain();
  tk.dpi = 144;
  EXPECT_EQ(ui::ScaledClientArea(*main, tk.ScreenDpi()), (Rect{0, 0, 654, 572}));
  ui::FormLayout layout(*main, tk.ScreenDpi());
  EXPECT_EQ(layout.Place(*main->spbStart), (Rect{12, 12, 309, 98}));
  // Pixel-sized fonts grow like the boxes: Start's 21 px, the list's 11 px,
  // the monitor's 13 px Courier New; point sizes through the resolution.
  EXPECT_EQ(ui::FontPixelHeight(main->spbStart->EffectiveFont(), tk.ScreenDpi()), 32);
  EXPECT_EQ(ui::FontPixelHeight(main->lstSetupValue->EffectiveFont(), tk.ScreenDpi()), 17);
  EXPECT_EQ(ui::FontPixelHeight(comm->memMonitor->EffectiveFont(), tk.ScreenDpi()), 20);
  EXPECT_EQ(ui::FontPixelHeight(comm->btnClose->EffectiveFont(), tk.ScreenDpi()), 16);  // Tahoma 8 pt

  // The monitor made larger by the user: the log takes the room, the
  // buttons keep their scaled distance to the corner.
  const Rect area = ui::ScaledClientArea(*comm, tk.ScreenDpi());
  ui::FormLayout larger(*comm, tk.ScreenDpi(), area.width + 100, area.height + 50);
  const Rect log = larger.Place(*comm->memMonitor), close = larger.Place(*comm->btnClose);
  EXPECT_EQ(log.width, ui::ScaleLength(612, 144) + 100);
  EXPECT_EQ(log.height, ui::ScaleLength(270, 144) + 50);
  EXPECT_EQ(area.width + 100 - (close.left + close.width), ui::ScaleLength(8, 144));
  EXPECT_EQ(area.height + 50 - (close.top + close.height), ui::ScaleLength(10, 144));
}

// Sharp, not blurred: a picture drawn again at a larger size holds only the
// colours of its design, where resampling would blend them at the edges.
void ExpectOnlyColoursOf(const ui::Image& design, const ui::Image& larger, const std::string& what) {
  const std::set<uint32_t> palette(design.pixels.begin(), design.pixels.end());
  for (uint32_t p : larger.pixels) {
    if (!palette.count(p)) {
      ADD_FAILURE() << what << ": blended pixel " << std::hex << p;
      return;
    }
  }
}

TEST_F(ScreenScaling, ToolBarPicturesAreDrawnAgainAtTheirSize) {
  ui::ImageList& images = *option->ImageList1;
  const int size = ui::ScaleLength(images.Width(), 144);
  ASSERT_EQ(size, 48);
  const std::vector<ui::Image> larger = images.ImagesAt(size, size);
  ASSERT_EQ(larger.size(), kOptionImageCount);
  for (size_t i = 0; i < larger.size(); ++i) {
    EXPECT_EQ(larger[i].width, 48);
    EXPECT_EQ(larger[i].pixels, DrawOptionImage(i, 48).pixels) << i;
    EXPECT_NE(larger[i].pixels, std::vector<uint32_t>(48 * 48, 0)) << i;
    ExpectOnlyColoursOf(images.Images()[i], larger[i], "tool bar picture " + std::to_string(i));
  }
  EXPECT_TRUE(DrawOptionImage(kOptionImageCount, 48).pixels.empty());
}

TEST_F(ScreenScaling, LockButtonPicturesAreDrawnAgainAtTheirSize) {
  ui::ImageList& images = *option->TargetWindowPage().imlTargetLock;
  ASSERT_EQ(images.Images().size(), 4u);
  const std::vector<ui::Image> larger = images.ImagesAt(48, 48);
  ASSERT_EQ(larger.size(), 4u);
  for (size_t i = 0; i < larger.size(); ++i) {
    EXPECT_EQ(larger[i].width, 48);
    ExpectOnlyColoursOf(images.Images()[i], larger[i], "lock picture " + std::to_string(i));
  }
}

}  // namespace
}  // namespace km27::test
