#include "shell/option/BlockEditor.h"

#include "common/TextHelpers.h"
#include "keyboard/BlockRows.h"
#include "shell/option/KeyDataPicture.h"

namespace km27 {

namespace {

bool AllDigits(const std::string& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string HeldBlockNumber(const std::string& text) {
  if (text.empty() || !AllDigits(text)) return "1";
  // Past three digits the number is above 200 whatever it is (and may not
  // fit an integer).
  const size_t first = text.find_first_not_of('0');
  if (first == std::string::npos) return "1";
  if (text.size() - first > 3 || StrToIntDef(text, 0) > kMaxBlockNumber) return IntToStr(kMaxBlockNumber);
  return text;
}

TBlockEditor::TBlockEditor(ui::Form& form, ui::Control& parent, const ui::Rect& bounds) {
  grpBlockData = &form.Make<ui::GroupBox>("grpBlockData", &parent);
  grpBlockData->SetBounds(bounds);
  grpBlockData->SetCaption("   5: Block Data");  // the two blanks leave room for the marker
  pnlBlockDataMark = &MakeAreaMarker(form, "pnlBlockDataMark", *grpBlockData, 5, 9, 3);

  chkAllData = &form.Make<ui::CheckBox>("chkAllData", grpBlockData);
  chkAllData->SetBounds(12, 20, 200, 18);
  chkAllData->SetCaption("All Data");
  chkAllData->SetChecked(true);  // a new block takes the whole track
  chkAllData->OnClick = [this] { chkAllDataClick(); };

  NumberBox(form, "lblBlockStart", "Start Position", "edtBlockStart", "updBlockStart", 12, lblBlockStart, edtBlockStart,
            updBlockStart);
  NumberBox(form, "lblBlockDigit", "Digit", "edtBlockDigit", "updBlockDigit", 104, lblBlockDigit, edtBlockDigit,
            updBlockDigit);

  btnSelReadData = &form.Make<ui::Button>("btnSelReadData", grpBlockData);
  btnSelReadData->SetBounds(12, 88, 164, 25);
  btnSelReadData->SetCaption("Select Read Data");
  btnSelReadData->OnClick = [this] {
    if (OnSelectReadData) OnSelectReadData();
  };

  auto keys = [&](int area, const char* label, const char* caption, const char* mark, const char* edit, int top,
                  ui::Label*& l, ui::Panel*& m, ui::Edit*& e) {
    m = &MakeAreaMarker(form, mark, *grpBlockData, area, 12, top + 3);
    l = &form.Make<ui::Label>(label, grpBlockData);
    l->SetBounds(23, top, 160, 15);
    l->SetCaption(caption);
    e = &form.Make<ui::Edit>(edit, grpBlockData);
    e->SetBounds(12, top + 16, 124, 21);  // the key code button goes right of it
    e->OnChange = [this] { Modified(); };
  };
  keys(4, "lblBlockHeader", "4: Block Header", "pnlBlockHeaderMark", "edtBlockHeader", 120, lblBlockHeader,
       pnlBlockHeaderMark, edtBlockHeader);
  keys(6, "lblBlockFooter", "6: Block Footer", "pnlBlockFooterMark", "edtBlockFooter", 164, lblBlockFooter,
       pnlBlockFooterMark, edtBlockFooter);
  chkAllDataClick();
}

void TBlockEditor::NumberBox(ui::Form& form, const char* label, const char* caption, const char* edit,
                             const char* upDown, int left, ui::Label*& l, ui::Edit*& e, ui::UpDown*& u) {
  l = &form.Make<ui::Label>(label, grpBlockData);
  l->SetBounds(left, 44, 88, 15);
  l->SetCaption(caption);
  e = &form.Make<ui::Edit>(edit, grpBlockData);
  e->SetBounds(left, 60, 52, 21);
  u = &form.Make<ui::UpDown>(upDown, grpBlockData);
  u->SetBounds(left + 52, 60, 16, 21);
  u->Associate = e;
  u->SetRange(1, kMaxBlockNumber);
  u->SetPosition(1);
  ui::Edit* box = e;
  e->OnKeyPress = [this, box](char& key) { edtBlockStartKeyPress(*box, key); };
  e->OnKeyUp = [this, box](uint16_t&, int) { edtBlockStartKeyUp(*box); };
  e->OnChange = [this] { Modified(); };
  u->OnChange = [this] { Modified(); };
}

TBlockData TBlockEditor::Block(int track) const {
  TBlockData b;
  b.Track = track;
  b.AllData = AllData();
  b.Start = Start();
  b.Digit = Digit();
  b.BlockHeader = edtBlockHeader->Text();
  b.BlockFooter = edtBlockFooter->Text();
  return b;
}

bool TBlockEditor::SelectsNothing() const {
  return !AllData() && (Start() == 0 || Digit() == 0) && edtBlockHeader->Text().empty() &&
         edtBlockFooter->Text().empty();
}

void TBlockEditor::LoadRow(const ui::ListRow& row) {
  const TBlockData b = BlockFromRow(row);
  chkAllData->SetChecked(b.AllData);
  updBlockStart->SetPosition(b.Start);
  updBlockDigit->SetPosition(b.Digit);
  edtBlockHeader->SetText(TrimControl(b.BlockHeader));
  edtBlockFooter->SetText(TrimControl(b.BlockFooter));
  chkAllDataClick();
}

void TBlockEditor::SetAllData() {
  chkAllData->SetChecked(true);
  chkAllDataClick();
}

void TBlockEditor::chkAllDataClick() {
  const bool part = !chkAllData->Checked();
  for (ui::Control* c : std::initializer_list<ui::Control*>{lblBlockStart, edtBlockStart, updBlockStart, lblBlockDigit,
                                                             edtBlockDigit, updBlockDigit, btnSelReadData})
    c->SetEnabled(part);
  Modified();
}

void TBlockEditor::edtBlockStartKeyPress(ui::Edit& box, char& key) {
  if (key == '\b') return;
  if (key < '0' || key > '9') {
    key = 0;
    return;
  }
  const std::string held = HeldBlockNumber(box.Text());
  if (held != box.Text()) {
    // The corrected text is selected: the digit typed replaces it.
    box.SetText(held);
    box.SetSelection(0, static_cast<int>(held.size()));
  }
}

void TBlockEditor::edtBlockStartKeyUp(ui::Edit& box) {
  const std::string held = HeldBlockNumber(box.Text());
  if (held == box.Text()) return;
  box.SetText(held);
  box.SetSelection(static_cast<int>(held.size()), 0);
}

}  // namespace km27
