// Windows designed at 96 dpi on screens of other resolutions: lengths, fonts
// and pictures scale, controls keep their anchors, and pictures drawn in
// code are drawn again instead of being blurred.
#include <gtest/gtest.h>

#include "tests/support/FakeToolkit.h"
#include "ui/FormLayout.h"
#include "ui/Scaling.h"

namespace km27::ui {
namespace {

TEST(Scaling, LengthsRoundToTheNearestPixel) {
  struct Case {
    int v, dpi, want;
  } cases[] = {{0, 144, 0},     {8, 144, 12},   {13, 144, 20},  {21, 120, 26}, {436, 144, 654},
               {381, 144, 572}, {-3, 144, -5},  {100, 96, 100}, {9, 192, 18},  {7, 0, 7} /* no valid dpi */};
  for (const Case& c : cases) EXPECT_EQ(ScaleLength(c.v, c.dpi), c.want) << c.v << " at " << c.dpi;
  EXPECT_EQ(UnscaleLength(12, 144), 8);
  EXPECT_EQ(UnscaleLength(20, 144), 13);
}

TEST(Scaling, RectanglesThatTouchStillTouch) {
  // Three one-pixel columns side by side: scaled by 1.5 they take 2, 1 and 2
  // pixels (or the like) but leave no gap and do not overlap.
  Rect a{1, 0, 1, 1}, b{2, 0, 1, 1}, c{3, 0, 1, 1};
  for (int dpi : {96, 120, 144, 168, 192}) {
    Rect sa = ScaleRect(a, dpi), sb = ScaleRect(b, dpi), sc = ScaleRect(c, dpi);
    EXPECT_EQ(sa.left + sa.width, sb.left) << dpi;
    EXPECT_EQ(sb.left + sb.width, sc.left) << dpi;
    EXPECT_EQ(sc.left + sc.width, ScaleLength(4, dpi)) << dpi;
  }
  EXPECT_EQ(ScaleRect(Rect{8, 8, 206, 65}, 144), (Rect{12, 12, 309, 98}));
}

TEST(Scaling, FontHeightsFromPointsAndPixels) {
  Font points;  // Tahoma 9 pt
  Font pixels;
  pixels.name = "Courier New";
  pixels.height = 13;
  struct Case {
    int dpi, pointsPx, pixelsPx;
  } cases[] = {{96, 12, 13}, {120, 15, 16}, {144, 18, 20}, {192, 24, 26}};
  for (const Case& c : cases) {
    EXPECT_EQ(FontPixelHeight(points, c.dpi), c.pointsPx) << c.dpi;
    EXPECT_EQ(FontPixelHeight(pixels, c.dpi), c.pixelsPx) << c.dpi;
  }
  pixels.height = -13;  // a height given as the system's negative character height
  EXPECT_EQ(FontPixelHeight(pixels, 144), 20);
}

Image Solid(int w, int h, uint32_t argb) { return Image{w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), argb)}; }

TEST(Scaling, ResampledPicturesKeepColourAndTransparency) {
  EXPECT_EQ(ResampleImage(Solid(2, 2, 0xFFD23C32), 3, 3).pixels, Solid(3, 3, 0xFFD23C32).pixels);
  EXPECT_EQ(ResampleImage(Solid(2, 2, 0), 3, 3).pixels, Solid(3, 3, 0).pixels);
  // Opaque blue beside transparent: the middle pixel is half covered, and
  // stays blue (not darkened by the transparent black next to it).
  Image edge{2, 1, {0xFF2060D0, 0x00000000}};
  Image wide = ResampleImage(edge, 3, 1);
  ASSERT_EQ(wide.pixels.size(), 3u);
  EXPECT_EQ(wide.pixels[0], 0xFF2060D0u);
  EXPECT_EQ(wide.pixels[1] & 0x00FFFFFF, 0x002060D0u);
  EXPECT_EQ(wide.pixels[1] >> 24, 0x80u);
  EXPECT_EQ(wide.pixels[2], 0u);
  // The same size is the same picture; a broken picture gives a transparent one.
  EXPECT_EQ(ResampleImage(edge, 2, 1).pixels, edge.pixels);
  EXPECT_EQ(ResampleImage(Image{4, 4, {}}, 2, 2).pixels, Solid(2, 2, 0).pixels);
  EXPECT_TRUE(ResampleImage(edge, 0, 5).pixels.empty());
}

TEST(Scaling, ImageListsDrawAgainOrResample) {
  test::FakeToolkit tk;
  Form form("frmPictures");
  ImageList& drawn = form.Make<ImageList>("imlDrawn", 2, 2);
  drawn.Add(Solid(2, 2, 0xFF000001));
  drawn.Add(Solid(2, 2, 0xFF000002));
  int painted = 0;
  drawn.SetPainter([&painted](size_t index, int w, int h) {
    ++painted;
    if (index == 1) return Image{};  // cannot draw this one: it is resampled
    return Solid(w, h, 0xFF0000AA);
  });
  std::vector<Image> at3 = drawn.ImagesAt(3, 3);
  ASSERT_EQ(at3.size(), 2u);
  EXPECT_EQ(at3[0].pixels, Solid(3, 3, 0xFF0000AA).pixels);
  EXPECT_EQ(at3[1].pixels, Solid(3, 3, 0xFF000002).pixels);
  // At the designed size the pictures are the ones added, not drawn again.
  painted = 0;
  EXPECT_EQ(drawn.ImagesAt(2, 2)[0].pixels, drawn.Images()[0].pixels);
  EXPECT_EQ(painted, 0);

  ImageList& plain = form.Make<ImageList>("imlPlain", 2, 2);
  plain.Add(Solid(2, 2, 0xFF123456));
  EXPECT_EQ(plain.ImagesAt(4, 4)[0].pixels, Solid(4, 4, 0xFF123456).pixels);
}

// A sizeable window as the monitor is built: a log anchored to all sides,
// buttons at the bottom right, a label at the bottom left, a panel with a
// check box inside, and a page control with a control on its sheet.
class Sample : public Form {
 public:
  Sample() : Form("frmSample") {
    ClientWidth = 200;
    ClientHeight = 100;
    memLog = &Make<Memo>("memLog");
    memLog->SetBounds(8, 8, 184, 60);
    memLog->Anchors = akLeft | akTop | akRight | akBottom;
    btnClose = &Make<Button>("btnClose");
    btnClose->SetBounds(120, 72, 72, 20);
    btnClose->Anchors = akRight | akBottom;
    lblNote = &Make<Label>("lblNote");
    lblNote->SetBounds(8, 76, 100, 16);
    lblNote->Anchors = akLeft | akBottom;
    pnlBox = &Make<Panel>("pnlBox");
    pnlBox->SetBounds(10, 10, 50, 30);
    chkBox = &Make<CheckBox>("chkBox", pnlBox);
    chkBox->SetBounds(3, 5, 41, 17);
    pages = &Make<PageControl>("pages");
    pages->SetBounds(100, 10, 90, 50);
    sheet = &Make<TabSheet>("sheet", pages);
    edtOnSheet = &Make<Edit>("edtOnSheet", sheet);
    edtOnSheet->SetBounds(4, 4, 60, 21);
  }
  Memo* memLog;
  Button* btnClose;
  Label* lblNote;
  Panel* pnlBox;
  CheckBox* chkBox;
  PageControl* pages;
  TabSheet* sheet;
  Edit* edtOnSheet;
};

TEST(FormLayoutTest, AtNinetySixDpiTheDesignIsTheScreen) {
  test::FakeToolkit tk;
  Sample f;
  FormLayout layout(f, tk.ScreenDpi());
  EXPECT_EQ(ScaledClientArea(f, 96), (Rect{0, 0, 200, 100}));
  for (Control* c : {static_cast<Control*>(f.memLog), static_cast<Control*>(f.btnClose),
                     static_cast<Control*>(f.lblNote), static_cast<Control*>(f.pnlBox)})
    EXPECT_EQ(layout.Place(*c), c->Bounds()) << c->Name();
  EXPECT_EQ(layout.Place(*f.chkBox), (Rect{13, 15, 41, 17}));  // inside the panel
  EXPECT_EQ(layout.Place(*f.sheet), f.pages->Bounds());      // no tab strip taken off
  EXPECT_EQ(layout.Place(*f.edtOnSheet), (Rect{104, 14, 60, 21}));
}

TEST(FormLayoutTest, AtOneHundredFortyFourDpiEverythingIsHalfAgainAsLarge) {
  test::FakeToolkit tk;
  tk.dpi = 144;
  Sample f;
  FormLayout layout(f, tk.ScreenDpi());
  EXPECT_EQ(ScaledClientArea(f, 144), (Rect{0, 0, 300, 150}));
  EXPECT_EQ(layout.Place(*f.memLog), (Rect{12, 12, 276, 90}));
  EXPECT_EQ(layout.Place(*f.btnClose), (Rect{180, 108, 108, 30}));
  EXPECT_EQ(layout.Place(*f.lblNote), (Rect{12, 114, 150, 24}));
  // Its own edges scaled, placed in its scaled panel.
  EXPECT_EQ(layout.Place(*f.chkBox), (Rect{20, 23, 61, 25}));
  EXPECT_EQ(layout.Place(*f.edtOnSheet), (Rect{156, 21, 90, 32}));
  // The text inside grows with the boxes.
  EXPECT_EQ(FontPixelHeight(f.memLog->EffectiveFont(), tk.ScreenDpi()), 18);
}

TEST(FormLayoutTest, AnchorsHoldWhenTheScaledWindowIsResized) {
  for (int dpi : {96, 144}) {
    Sample f;
    const Rect designed = ScaledClientArea(f, dpi);
    const int grow = 60, taller = 30;
    FormLayout before(f, dpi);
    FormLayout after(f, dpi, designed.width + grow, designed.height + taller);
    const Rect log0 = before.Place(*f.memLog), log1 = after.Place(*f.memLog);
    EXPECT_EQ(log1, (Rect{log0.left, log0.top, log0.width + grow, log0.height + taller})) << dpi;
    // The button keeps its (scaled) distance to the right and bottom edges.
    const Rect btn = after.Place(*f.btnClose);
    EXPECT_EQ(designed.width + grow - (btn.left + btn.width), ScaleLength(8, dpi)) << dpi;
    EXPECT_EQ(designed.height + taller - (btn.top + btn.height), ScaleLength(8, dpi)) << dpi;
    EXPECT_EQ(btn.width, ScaleLength(72, dpi)) << dpi;
    // Left and bottom: moves down only; left and top (the default): stays.
    EXPECT_EQ(after.Place(*f.lblNote).left, before.Place(*f.lblNote).left) << dpi;
    EXPECT_EQ(after.Place(*f.lblNote).top, before.Place(*f.lblNote).top + taller) << dpi;
    EXPECT_EQ(after.Place(*f.chkBox), before.Place(*f.chkBox)) << dpi;
  }
}

TEST(FormLayoutTest, SheetsTakeThePageControlsDisplayArea) {
  Sample f;
  FormLayout layout(f, 144);
  int asked = 0;
  layout.SheetArea = [&](const Control& pages, const Rect& r) {
    ++asked;
    EXPECT_EQ(&pages, f.pages);
    return Rect{r.left + 3, r.top + 30, r.width - 6, r.height - 33};  // a tab strip 30 pixels high
  };
  const Rect pages = layout.Place(*f.pages);
  EXPECT_EQ(pages, (Rect{150, 15, 135, 75}));
  EXPECT_EQ(layout.Place(*f.sheet), (Rect{153, 45, 129, 42}));
  EXPECT_EQ(layout.Place(*f.edtOnSheet), (Rect{159, 51, 90, 32}));
  EXPECT_GE(asked, 2);
}

}  // namespace
}  // namespace km27::ui
