#pragma once
// The picture above the Key Data page's sub-pages: what one card read is
// typed as. The upper row is the whole output (1 header, the data of track
// 1, 2 track separator, the data of track 2, 3 terminator); two lines open
// the first track's data into the lower row, its blocks (4 block header,
// 5 block data, 6 block footer, then the next block). Every numbered area
// has the colour of the marker on the group or label that edits it.
//
// The upper row's labels are enabled while "Key Data Format" is shown, the
// lower row's while a block sub-page is. With one track the separator and
// the second track's data go and the terminator takes the separator's place.
#include <cstdint>
#include <vector>

#include "ui/Form.h"

namespace km27 {

// The colour (0x00BBGGRR) of numbered area 1..6: the picture's boxes and the
// markers of the groups and labels that edit them.
uint32_t KeyAreaColor(int area);

// A small marker of area `area` on `parent` at (left, top): the room the two
// leading blanks of a numbered caption leave.
ui::Panel& MakeAreaMarker(ui::Form& form, const char* name, ui::Control& parent, int area, int left, int top);

class TKeyDataPicture {
 public:
  TKeyDataPicture(ui::Form& form, ui::Control& parent, const ui::Rect& bounds);

  ui::Panel* pnlPicture;
  // the whole output
  ui::Label* lblNo1;
  ui::Label* lblNo2;
  ui::Label* lblNo3;
  ui::Label* lblPicHeader;
  ui::Label* lblPicTrack1;
  ui::Label* lblPicSeparator;
  ui::Label* lblPicTrack2;
  ui::Label* lblPicTerminator;
  // one track's data opened into its blocks
  ui::TLine* Line1;
  ui::TLine* Line2;
  ui::Label* lblNo4;
  ui::Label* lblNo5;
  ui::Label* lblNo6;
  ui::Label* lblPicBlockHeader;
  ui::Label* lblPicBlockData;
  ui::Label* lblPicBlockFooter;
  ui::Label* lblPicNextHeader;
  ui::Label* lblPicNextData;
  ui::Label* lblPicNextFooter;
  ui::Label* lblPicBlocks;

  // The labels of the sub-page shown are enabled: the whole output's for
  // "Key Data Format" (`format`), the blocks' for the others. The boxes of
  // the other row are washed out.
  void ShowFormatLabels(bool format);
  void SetSingleTrack(bool single);

 private:
  struct Box {
    ui::Label* label;
    int area;  // 1..6, 0 for track data
  };
  std::vector<Box> boxes_;
  ui::Rect separatorBox_, terminatorBox_, separatorNo_, terminatorNo_;
};

}  // namespace km27
