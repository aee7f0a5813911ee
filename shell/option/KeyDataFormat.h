#pragma once
// The "Key Data Format" sub-page: the header, track separator and terminator
// keys. Each has a radio group ("None", "Enter Key", "TAB Key", "Other") and
// an edit box for "Other"; a numbered group carries the colour marker of its
// area in the picture.
#include <functional>
#include <string>

#include "settings/Define.h"
#include "ui/Form.h"

namespace km27 {

// The radio item of a stored key text: 0 when it is empty after trimming; 1
// when, without one leading "[" and one trailing "]", it names the Enter key
// (names compared without regard to case), 2 for the Tab key, else 3.
int KeyChoiceIndex(const std::string& stored);
// The text stored for a radio item: "" for 0, "[ENTER]" for 1, "[TAB]" for
// 2, the edit box's text as it stands for 3.
std::string KeyChoiceText(int index, const std::string& other);

class TKeyDataFormat {
 public:
  // `formatShown` tells whether the sub-page is the one on screen (the radio
  // groups focus their edit box only then).
  TKeyDataFormat(ui::Form& form, ui::TabSheet& sheet, std::function<bool()> formatShown);

  ui::RadioGroup* rdgHeader;
  ui::Edit* edtHeader;
  ui::Panel* pnlHeaderMark;
  ui::RadioGroup* rdgTrackSeparator;
  ui::Edit* edtTrackSeparator;
  ui::Panel* pnlTrackSeparatorMark;
  ui::RadioGroup* rdgTerminator;
  ui::Edit* edtTerminator;
  ui::Panel* pnlTerminatorMark;

  void Load(const TKeyFormat& keys);
  // A group with no item chosen leaves its key in `keys` as it is.
  void Store(TKeyFormat& keys) const;
  // With one track there is no separator: its row goes and the terminator's
  // row moves up into its place.
  void ApplyLayout(bool singleTrack);

  void rdgHeaderClick() { RadioClick(*rdgHeader, *edtHeader); }
  void rdgTrackSeparatorClick() { RadioClick(*rdgTrackSeparator, *edtTrackSeparator); }
  void rdgTerminatorClick() { RadioClick(*rdgTerminator, *edtTerminator); }

 private:
  void RadioClick(ui::RadioGroup& group, ui::Edit& edit);

  ui::Form& form_;
  std::function<bool()> formatShown_;
  ui::Rect separatorGroup_, separatorEdit_, terminatorGroup_, terminatorEdit_;
};

}  // namespace km27
