#pragma once
// The block editor of the "Block Format" sub-page (group "5: Block Data"):
// whether the block takes all of its track's data, else its start position
// and digit count (1..200, with up-downs, or marked in a real read), and its
// block header and footer keys. Every change is reported (OnModified), so
// that the block actions follow what the editor holds.
#include <functional>
#include <string>

#include "settings/Define.h"
#include "ui/Form.h"

namespace km27 {

// The highest start position and digit count of a block.
constexpr int kMaxBlockNumber = 200;

// What a start or digit box is left holding after a key: a number above 200
// gives "200", 0 or an empty text "1"; a text that is no number (pasted)
// counts as 1 and gives "1" too. Any other text stays.
std::string HeldBlockNumber(const std::string& text);

class TBlockEditor {
 public:
  TBlockEditor(ui::Form& form, ui::Control& parent, const ui::Rect& bounds);

  ui::GroupBox* grpBlockData;
  ui::Panel* pnlBlockDataMark;
  ui::CheckBox* chkAllData;
  ui::Label* lblBlockStart;
  ui::Edit* edtBlockStart;
  ui::UpDown* updBlockStart;
  ui::Label* lblBlockDigit;
  ui::Edit* edtBlockDigit;
  ui::UpDown* updBlockDigit;
  ui::Button* btnSelReadData;
  ui::Label* lblBlockHeader;
  ui::Panel* pnlBlockHeaderMark;
  ui::Edit* edtBlockHeader;
  ui::Label* lblBlockFooter;
  ui::Panel* pnlBlockFooterMark;
  ui::Edit* edtBlockFooter;

  std::function<void()> OnModified;      // anything in the editor changed
  std::function<void()> OnSelectReadData;  // "Select Read Data"

  bool AllData() const { return chkAllData->Checked(); }
  int Start() const { return updBlockStart->Position(); }
  int Digit() const { return updBlockDigit->Position(); }
  // The block the editor holds, for `track`.
  TBlockData Block(int track) const;
  // Add and Update refuse a block that takes nothing and adds no keys.
  bool SelectsNothing() const;
  // The editor takes a block row: "ON" (any case) checks All Data, "-"
  // counts 1, header and footer lose their surrounding blanks.
  void LoadRow(const ui::ListRow& row);
  // Checks All Data (the editor's state without any block).
  void SetAllData();

  // ---- event handlers ----
  void chkAllDataClick();
  void edtBlockStartKeyPress(ui::Edit& box, char& key);
  void edtBlockStartKeyUp(ui::Edit& box);
  void Modified() {
    if (OnModified) OnModified();
  }

 private:
  void NumberBox(ui::Form& form, const char* label, const char* caption, const char* edit, const char* upDown,
                 int left, ui::Label*& l, ui::Edit*& e, ui::UpDown*& u);
};

}  // namespace km27
