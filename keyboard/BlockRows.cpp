#include "keyboard/BlockRows.h"

#include <algorithm>
#include <cstdlib>

#include "common/TextHelpers.h"

namespace km27 {

namespace {

bool ValidRow(const ui::ListView& list, int row) {
  return row >= 0 && static_cast<size_t>(row) < list.Rows().size();
}

std::string Cell(const ui::ListRow& row, size_t column) {
  return column < row.subItems.size() ? row.subItems[column] : std::string();
}

// "All", "Start", "Digit", "Header", "Footer" of a block.
void WriteBlockCells(ui::ListRow& row, const TBlockData& block) {
  row.subItems.resize(kBlockColumns);
  row.subItems[kColAll] = block.AllData ? "ON" : "OFF";
  row.subItems[kColStart] = block.AllData ? "-" : IntToStr(block.Start);
  row.subItems[kColDigit] = block.AllData ? "-" : IntToStr(block.Digit);
  row.subItems[kColHeader] = block.BlockHeader.empty() ? " " : block.BlockHeader;
  row.subItems[kColFooter] = block.BlockFooter;
}

bool SlotInUse(int k) {
  const std::string& tracks = CardData.Tracks;
  const std::string& use = CardData.TrackUse;
  size_t i = static_cast<size_t>(k - 1);
  return i < tracks.size() && i < use.size() && tracks[i] == '1' && use[i] == '1';
}

}  // namespace

ui::ListRow BlockRow(const TBlockData& block) {
  ui::ListRow row;
  row.subItems.resize(kBlockColumns);
  row.subItems[kColTrack] = IntToStr(block.Track);
  WriteBlockCells(row, block);
  return row;
}

TBlockData BlockFromRow(const ui::ListRow& row) {
  auto number = [&row](size_t column) {
    std::string cell = Cell(row, column);
    return cell == "-" ? 1 : StrToIntDef(TrimSpaces(cell), 1);
  };
  TBlockData block;
  block.Track = StrToIntDef(TrimSpaces(Cell(row, kColTrack)), 1);
  block.AllData = UpperCase(Cell(row, kColAll)) == "ON";
  block.Start = number(kColStart);
  block.Digit = number(kColDigit);
  std::string header = Cell(row, kColHeader);
  block.BlockHeader = header == " " ? std::string() : header;
  block.BlockFooter = Cell(row, kColFooter);
  return block;
}

void AddBlockRow(ui::ListView& list, const TBlockData& block) {
  ui::ListRow row = BlockRow(block);
  row.imageIndex = 0;
  list.AddRow(row);
  RenumberRows(list);
}

void UpdateBlockRow(ui::ListView& list, int row, const TBlockData& block) {
  if (ValidRow(list, row)) {
    ui::ListRow r = list.Rows()[static_cast<size_t>(row)];
    WriteBlockCells(r, block);
    list.SetRow(static_cast<size_t>(row), r);
  }
  RenumberRows(list);
}

void DeleteBlockRow(ui::ListView& list, int row) {
  if (ValidRow(list, row)) list.DeleteRow(static_cast<size_t>(row));
  RenumberRows(list);
}

void DeleteTrackRows(ui::ListView& list, int tab) {
  const std::string track = IntToStr(TrackOfTab(tab));
  std::vector<ui::ListRow> kept;
  for (const ui::ListRow& row : list.Rows())
    if (Cell(row, kColTrack) != track) kept.push_back(row);
  if (kept.size() != list.Rows().size()) list.SetRows(kept);
  RenumberRows(list);
}

void RenumberRows(ui::ListView& list) {
  std::vector<ui::ListRow> rows = list.Rows();
  bool changed = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string number = IntToStr(static_cast<int64_t>(i) + 1);
    if (rows[i].caption != number) {
      rows[i].caption = number;
      changed = true;
    }
  }
  // One change for the whole list: the platform rebuilds its rows once.
  if (changed) list.SetRows(rows);
}

int TrackOfTab(int n) {
  if (n < 1) return 0;
  int count = 0;
  for (size_t k = 1; k <= CardData.Tracks.size(); ++k) {
    if (SlotInUse(static_cast<int>(k)) && ++count == n) return static_cast<int>(k);
  }
  return 0;
}

namespace {

constexpr int kImageSize = 16;

// Picture `index` at size x size pixels, drawn in units of the 16-pixel
// design (a pixel belongs to a shape when its centre does), so that it stays
// sharp at 24 pixels on a 144 dpi screen.
ui::Image RowPicture(size_t index, int size) {
  ui::Image image{size, size, std::vector<uint32_t>(static_cast<size_t>(size) * static_cast<size_t>(size), 0)};
  const double s = size / static_cast<double>(kImageSize);
  auto square = [](double u, double v, double from, double to) { return u >= from && u < to && v >= from && v < to; };
  // A triangle pointing right, its tip at the middle of the right edge.
  auto arrow = [](double u, double v) { return u >= 4 && v >= 3 && v <= 13 && u < 2 * std::min(v, 16 - v); };
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / s, v = (y + 0.5) / s;
      uint32_t color = 0;
      if (index == 0 && square(u, v, 6, 10)) color = 0xFFA0A0A0;
      if (index == 1 && arrow(u, v)) color = 0xFF2060D0;
      if (index == 2 && arrow(u, v)) color = 0xFFE08000;
      if (index == 2 && square(u, v, 11, 15)) color = 0xFFD02020;
      image.pixels[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] = color;
    }
  return image;
}

}  // namespace

void AddBlockRowImages(ui::ImageList& images) {
  for (size_t i = 0; i < 3; ++i) images.Add(RowPicture(i, kImageSize));
  images.SetPainter([](size_t index, int width, int height) {
    return width == height ? RowPicture(index, width) : ui::Image{};
  });
}

}  // namespace km27
