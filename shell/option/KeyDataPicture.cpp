#include "shell/option/KeyDataPicture.h"

namespace km27 {

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// A colour washed towards white: the boxes of the row not being edited, so
// that their grey (disabled) text stays readable and the edited row stands out.
uint32_t Pale(uint32_t c) {
  auto mix = [c](int shift) { return (((c >> shift) & 0xFF) * 2 + 255 * 3) / 5; };
  return Rgb(mix(0), mix(8), mix(16));
}

constexpr uint32_t kPictureColor = Rgb(255, 255, 255);
constexpr uint32_t kTrackDataColor = Rgb(224, 224, 224);
constexpr uint32_t kLineColor = Rgb(96, 96, 96);

// Rows of the picture (client coordinates of pnlPicture).
constexpr int kNumberTop = 3, kNumberHeight = 15;
constexpr int kOutputTop = 19, kBoxHeight = 24;
constexpr int kBlocksTop = 70;

}  // namespace

uint32_t KeyAreaColor(int area) {
  switch (area) {
    case 1: return Rgb(141, 180, 226);  // header: blue
    case 2: return Rgb(250, 191, 143);  // track separator: orange
    case 3: return Rgb(177, 160, 199);  // terminator: violet
    case 4: return Rgb(196, 215, 155);  // block header: green
    case 5: return Rgb(146, 205, 220);  // block data: cyan
    case 6: return Rgb(230, 184, 183);  // block footer: rose
    default: return kTrackDataColor;
  }
}

ui::Panel& MakeAreaMarker(ui::Form& form, const char* name, ui::Control& parent, int area, int left, int top) {
  ui::Panel& mark = form.Make<ui::Panel>(name, &parent);
  mark.SetBounds(left, top, 7, 9);
  mark.SetColor(KeyAreaColor(area));
  return mark;
}

TKeyDataPicture::TKeyDataPicture(ui::Form& form, ui::Control& parent, const ui::Rect& bounds) {
  pnlPicture = &form.Make<ui::Panel>("pnlPicture", &parent);
  pnlPicture->SetBounds(bounds);
  pnlPicture->SetColor(kPictureColor);

  auto box = [&](const char* name, const char* caption, int area, int left, int top, int width) {
    ui::Label& l = form.Make<ui::Label>(name, pnlPicture);
    l.Alignment = ui::Label::Align::Center;
    l.SetBounds(left, top, width, kBoxHeight);
    l.SetCaption(caption);
    l.SetColor(KeyAreaColor(area));
    boxes_.push_back({&l, area});
    return &l;
  };
  auto number = [&](const char* name, const char* caption, int left, int top, int width) {
    ui::Label& l = form.Make<ui::Label>(name, pnlPicture);
    l.Alignment = ui::Label::Align::Center;
    l.SetBounds(left, top, width, kNumberHeight);
    l.SetCaption(caption);
    l.SetColor(kPictureColor);
    return &l;
  };

  // The whole output of one read, left to right.
  lblNo1 = number("lblNo1", "1", 10, kNumberTop, 84);
  lblPicHeader = box("lblPicHeader", "Header", 1, 10, kOutputTop, 84);
  lblPicTrack1 = box("lblPicTrack1", "Track 1 Data", 0, 96, kOutputTop, 148);
  lblNo2 = number("lblNo2", "2", 246, kNumberTop, 84);
  lblPicSeparator = box("lblPicSeparator", "Separator", 2, 246, kOutputTop, 84);
  lblPicTrack2 = box("lblPicTrack2", "Track 2 Data", 0, 332, kOutputTop, 148);
  lblNo3 = number("lblNo3", "3", 482, kNumberTop, 84);
  lblPicTerminator = box("lblPicTerminator", "Terminator", 3, 482, kOutputTop, 84);
  separatorBox_ = lblPicSeparator->Bounds();
  separatorNo_ = lblNo2->Bounds();
  terminatorBox_ = lblPicTerminator->Bounds();
  terminatorNo_ = lblNo3->Bounds();

  // The first track's data opened into its blocks: the lines run from just
  // below the lower corners of its box to just above the ends of the block
  // row, touching the boxes without running into them.
  const int belowOutput = kOutputTop + kBoxHeight;
  const int aboveBlocks = kBlocksTop - 1;
  const ui::Rect& track = lblPicTrack1->Bounds();
  ui::Pen pen;
  pen.color = kLineColor;
  Line1 = &form.Make<ui::TLine>("Line1", pnlPicture);
  Line1->SetPen(pen);
  Line1->SetPoints(track.left, belowOutput, 10, aboveBlocks);
  Line2 = &form.Make<ui::TLine>("Line2", pnlPicture);
  Line2->SetPen(pen);
  Line2->SetPoints(track.left + track.width - 1, belowOutput, 449, aboveBlocks);

  lblPicBlockHeader = box("lblPicBlockHeader", "Block Header", 4, 10, kBlocksTop, 92);
  lblPicBlockData = box("lblPicBlockData", "Block Data", 5, 104, kBlocksTop, 140);
  lblPicBlockFooter = box("lblPicBlockFooter", "Block Footer", 6, 246, kBlocksTop, 92);
  // The next block, smaller: the blocks follow one another in list order.
  lblPicNextHeader = box("lblPicNextHeader", "", 4, 342, kBlocksTop, 30);
  lblPicNextData = box("lblPicNextData", "", 5, 374, kBlocksTop, 44);
  lblPicNextFooter = box("lblPicNextFooter", "", 6, 420, kBlocksTop, 30);
  lblPicBlocks = &form.Make<ui::Label>("lblPicBlocks", pnlPicture);
  lblPicBlocks->SetBounds(458, kBlocksTop - 2, 112, 44);  // room for three lines
  lblPicBlocks->SetCaption("... the blocks of the track in list order");
  lblPicBlocks->SetColor(kPictureColor);
  const int numberTop = kBlocksTop + kBoxHeight + 2;
  lblNo4 = number("lblNo4", "4", 10, numberTop, 92);
  lblNo5 = number("lblNo5", "5", 104, numberTop, 140);
  lblNo6 = number("lblNo6", "6", 246, numberTop, 92);
}

void TKeyDataPicture::ShowFormatLabels(bool format) {
  for (ui::Label* l : {lblNo1, lblNo2, lblNo3, lblPicHeader, lblPicTrack1, lblPicSeparator, lblPicTrack2,
                       lblPicTerminator})
    l->SetEnabled(format);
  for (ui::Label* l : {lblNo4, lblNo5, lblNo6, lblPicBlockHeader, lblPicBlockData, lblPicBlockFooter,
                       lblPicNextHeader, lblPicNextData, lblPicNextFooter, lblPicBlocks})
    l->SetEnabled(!format);
  for (const Box& b : boxes_) b.label->SetColor(b.label->Enabled() ? KeyAreaColor(b.area) : Pale(KeyAreaColor(b.area)));
}

void TKeyDataPicture::SetSingleTrack(bool single) {
  for (ui::Label* l : {lblNo2, lblPicSeparator, lblPicTrack2}) l->SetVisible(!single);
  lblPicTerminator->SetBounds(single ? separatorBox_ : terminatorBox_);
  lblNo3->SetBounds(single ? separatorNo_ : terminatorNo_);
}

}  // namespace km27
