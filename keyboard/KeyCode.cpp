#include "keyboard/KeyCode.h"

#include "keyboard/KeyNotation.h"

namespace km27 {

TfrmKeyCode* frmKeyCode = nullptr;

TfrmKeyCode::TfrmKeyCode() : ui::Form("frmKeyCode") {
  SetCaption("Key Code");
  WindowClassName = "TfrmKeyCode";
  ClientWidth = 307;
  ClientHeight = 381;
  position = Position::MainFormCenter;
  borderStyle = BorderStyle::Dialog;
  MinimizeBox = MaximizeBox = false;
  ui::Font tahoma;
  tahoma.size = 8;
  SetFont(tahoma);

  lvwKeyTable = &Make<ui::ListView>("lvwKeyTable");
  lvwKeyTable->SetBounds(0, 0, 307, 271);
  lvwKeyTable->SetColumns({{"Key", 130}, {"Key Name", 80}});
  lvwKeyTable->GridLines = true;
  lvwKeyTable->RowSelect = true;

  pnlBottom = &Make<ui::Panel>("pnlBottom");
  pnlBottom->SetBounds(0, 271, 307, 110);

  lblNote = &Make<ui::Label>("lblNote", pnlBottom);
  lblNote->SetBounds(8, 6, 291, 40);
  lblNote->SetCaption("Note");

  edtKeyCode = &Make<ui::Edit>("edtKeyCode", pnlBottom);
  edtKeyCode->SetBounds(8, 48, 291, 21);
  edtKeyCode->SetKeyNotationInput(true);

  btnOK = &Make<ui::Button>("btnOK", pnlBottom);
  btnOK->SetBounds(62, 77, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->Default = true;

  btnCancel = &Make<ui::Button>("btnCancel", pnlBottom);
  btnCancel->SetBounds(143, 77, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->Cancel = true;

  btnClear = &Make<ui::Button>("btnClear", pnlBottom);
  btnClear->SetBounds(224, 77, 75, 25);
  btnClear->SetCaption("Clear");

  OnShow = [this] { FormShow(); };
  lvwKeyTable->OnClick = [this] { lvwKeyTableClick(); };
  btnOK->OnClick = [this] { btnOKClick(); };
  btnCancel->OnClick = [this] { btnCancelClick(); };
  btnClear->OnClick = [this] { btnClearClick(); };
}

std::vector<ui::ListRow> TfrmKeyCode::KeyRows() {
  std::vector<ui::ListRow> rows;
  for (int code = 0; code <= 255; ++code) {
    if (code >= 0x30 && code <= 0x5A) continue;  // digits, letters and the codes between them
    std::string name = KeyName(code);
    if (!name.empty()) rows.push_back(ui::ListRow{KeyDescription(code), {name}});
  }
  return rows;
}

bool TfrmKeyCode::Execute(std::string& text) {
  edtKeyCode->SetText(text);
  ShowModal();
  if (confirmed) text = edtKeyCode->Text();
  return confirmed;
}

void TfrmKeyCode::FormShow() {
  lvwKeyTable->SetRows(KeyRows());
  confirmed = false;
  // Keys clicked first go after the text handed in.
  edtKeyCode->SetSelection(static_cast<int>(edtKeyCode->Text().size()), 0);
  SetFocus(*lvwKeyTable);
}

void TfrmKeyCode::lvwKeyTableClick() {
  int row = lvwKeyTable->SelectedIndex();
  if (row < 0) return;
  const ui::ListRow& r = lvwKeyTable->Rows()[static_cast<size_t>(row)];
  if (r.subItems.empty()) return;
  edtKeyCode->InsertAtCaret("[" + r.subItems[0] + "]");
}

void TfrmKeyCode::btnOKClick() {
  confirmed = true;
  Close();
}

void TfrmKeyCode::btnCancelClick() {
  confirmed = false;
  Close();
}

void TfrmKeyCode::btnClearClick() { edtKeyCode->SetText(""); }

}  // namespace km27
