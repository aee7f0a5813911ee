#include "device/SampleRead.h"

#include "common/TextHelpers.h"
#include "device/DecodeTexts.h"
#include "settings/Define.h"

namespace km27 {

namespace {

constexpr int kSlots = 4;
constexpr char kShiftOut = 0x0E;
constexpr char kShiftIn = 0x0F;

bool SlotDelivered(int k) {
  return !CardData.TrackData[static_cast<size_t>(k)].empty() || !CardData.TrackStatus[static_cast<size_t>(k)].empty();
}

// The slot number of a row's caption; 0 when it is not one of 1..4.
int SlotOfRow(const ui::ListRow& row) {
  int k = StrToIntDef(TrimSpaces(row.caption), 0);
  return k >= 1 && k <= kSlots ? k : 0;
}

}  // namespace

void DetectTracks() {
  std::string tracks = "1111";
  int inUse = 0;
  for (int k = 1; k <= kSlots; ++k) {
    if (SlotDelivered(k))
      ++inUse;
    else
      tracks[static_cast<size_t>(k - 1)] = '0';
  }
  CardData.Tracks = tracks;
  CardData.SingleTrack = !(inUse != 1 && CardData.SeparatorCount != 0);
}

ByteString KanaForDisplay(const ByteString& data) {
  ByteString shown = data;
  bool shifted = false;
  for (char& c : shown) {
    if (c == kShiftOut) {
      shifted = true;
    } else if (c == kShiftIn) {
      shifted = false;
    } else if (shifted) {
      c = static_cast<char>(static_cast<unsigned char>(c) + 0x80);
    }
  }
  return shown;
}

void FillReadList(ui::ListView& list, bool allSlots, bool checkable) {
  list.ClearRows();
  list.SetCheckBoxes(checkable && !CardData.SingleTrack);
  std::vector<ui::ListRow> rows;
  for (int k = 1; k <= kSlots; ++k) {
    const ByteString& data = CardData.TrackData[static_cast<size_t>(k)];
    const ByteString& status = CardData.TrackStatus[static_cast<size_t>(k)];
    if (!SlotDelivered(k)) continue;
    if (!allSlots && (CardData.TrackUse.size() < static_cast<size_t>(k) || CardData.TrackUse[static_cast<size_t>(k - 1)] != '1'))
      continue;
    ui::ListRow row;
    row.caption = IntToStr(k);
    row.checked = true;
    if (!data.empty()) {
      row.subItems = {IntToStr(static_cast<int64_t>(data.size())), KanaForDisplay(data)};
    } else if (status != "0") {
      row.subItems = {" ", TrackStatusText(status, false)};
      row.checked = false;
    }
    rows.push_back(row);
  }
  list.SetRows(rows);
}

void TrackUseFromList(const ui::ListView& list) {
  if (list.Rows().size() > static_cast<size_t>(kSlots)) return;
  std::string use = "0000";
  for (const ui::ListRow& row : list.Rows()) {
    int k = SlotOfRow(row);
    if (row.checked && k > 0) use[static_cast<size_t>(k - 1)] = '1';
  }
  CardData.TrackUse = use;
}

void BlocksFromList(const ui::ListView& list, bool allData) {
  std::vector<TBlockData> blocks;
  for (const ui::ListRow& row : list.Rows()) {
    if (!row.checked) continue;
    TBlockData block;
    block.Track = StrToIntDef(TrimSpaces(row.caption), 0);
    block.AllData = allData;
    block.Start = 1;
    block.Digit = 1;
    if (!allData && !row.subItems.empty()) {
      ByteString digits = TrimControl(row.subItems[0]);
      if (!digits.empty()) block.Digit = StrToIntDef(digits, 1);
    }
    blocks.push_back(block);
  }
  KeyData.BlockNum = static_cast<int32_t>(blocks.size());
  KeyData.Blocks = blocks;
}

}  // namespace km27
