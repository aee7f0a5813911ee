#pragma once
// Blocks as rows of the options dialog's two block lists (the full list
// "lvwBlockData" and the per-tab list "lvwEditBlockData"), the small
// operations that keep them numbered, and the slot behind a track tab.
//
// A row: caption = its number from 1; columns "Track", "All", "Start",
// "Digit", "Header", "Footer". A block that takes all data shows "ON", "-",
// "-"; an empty block header shows as a single blank so that the cell is
// never mistaken for a missing one.
#include <string>

#include "settings/Define.h"
#include "ui/Components.h"

namespace km27 {

// Positions of the block columns in ListRow::subItems.
enum BlockColumn : size_t { kColTrack = 0, kColAll, kColStart, kColDigit, kColHeader, kColFooter, kBlockColumns };

// The row of a block; its caption is left empty (RenumberRows numbers it).
ui::ListRow BlockRow(const TBlockData& block);
// The block a row stands for: "ON" (any case) in "All" takes all data, "-"
// or a missing number counts 1, a single blank header is an empty one.
TBlockData BlockFromRow(const ui::ListRow& row);

// Appends the block's row with image 0, then renumbers.
void AddBlockRow(ui::ListView& list, const TBlockData& block);
// Rewrites the "All", "Start", "Digit", "Header" and "Footer" cells of that
// row (the track stays); a row below 0 or past the end changes nothing. Renumbers.
void UpdateBlockRow(ui::ListView& list, int row, const TBlockData& block);
// Deletes that row (none for a row below 0 or past the end); renumbers.
void DeleteBlockRow(ui::ListView& list, int row);
// Deletes every row of the track shown on tab number `tab` (from 1: the tab
// index + 1); renumbers.
void DeleteTrackRows(ui::ListView& list, int tab);
// Sets each row's caption to its position from 1.
void RenumberRows(ui::ListView& list);

// The slot shown on tab number n (from 1): the n-th slot k, in slot order,
// whose characters in both CardData.Tracks and CardData.TrackUse are "1";
// 0 when there are fewer than n such slots.
int TrackOfTab(int n);

// The pictures of block rows, 16 x 16: 0 a plain row, 1 the selected row,
// 2 the selected row with changes not yet applied.
void AddBlockRowImages(ui::ImageList& images);

}  // namespace km27
