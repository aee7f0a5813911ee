#include "shell/option/KeyCodePanel.h"

namespace km27 {

namespace {

constexpr int kPanelWidth = 74, kPanelHeight = 25;
// The panel stays a moment after the box lost the focus, so that a click on
// its button (which takes the focus) still finds it.
constexpr uint32_t kExitDelayMs = 300;

}  // namespace

TKeyCodePanel::TKeyCodePanel(ui::Form& form, ui::Control& parent, std::function<bool(std::string&)> editKeyCode)
    : form_(form), editKeyCode_(std::move(editKeyCode)) {
  pnlKeyCode = &form.Make<ui::Panel>("pnlKeyCode", &parent);
  pnlKeyCode->SetBounds(0, 0, kPanelWidth, kPanelHeight);
  pnlKeyCode->SetVisible(false);
  btnKeyCode = &form.Make<ui::Button>("btnKeyCode", pnlKeyCode);
  btnKeyCode->SetBounds(0, 0, kPanelWidth, kPanelHeight);
  btnKeyCode->SetCaption("Key Code");
  btnKeyCode->OnClick = [this] { btnKeyCodeClick(); };
  tmrExitEdit = &form.Make<ui::Timer>("tmrExitEdit", kExitDelayMs, false);
  tmrExitEdit->OnTimer = [this] { tmrExitEditTimer(); };
}

void TKeyCodePanel::Attach(ui::Edit& edit) {
  edit.OnEnter = [this, &edit] { edtHeaderEnter(edit); };
  edit.OnExit = [this, &edit] { edtHeaderExit(edit); };
  edit.OnKeyPress = [this](char& key) { edtHeaderKeyPress(key); };
}

void TKeyCodePanel::Hide() {
  tmrExitEdit->SetEnabled(false);
  pnlKeyCode->SetVisible(false);
}

void TKeyCodePanel::edtHeaderEnter(ui::Edit& edit) {
  tmrExitEdit->SetEnabled(false);
  edit.SetKeyNotationInput(true);
  // Just right of the box, on the box's own parent.
  const ui::Rect& r = edit.Bounds();
  pnlKeyCode->SetParent(edit.Parent());
  pnlKeyCode->SetBounds(r.left + r.width + 4, r.top + (r.height - kPanelHeight) / 2, kPanelWidth, kPanelHeight);
  pnlKeyCode->SetVisible(true);
  FKeyEdit = &edit;
}

void TKeyCodePanel::edtHeaderExit(ui::Edit& edit) {
  edit.SetKeyNotationInput(false);
  tmrExitEdit->SetEnabled(false);
  tmrExitEdit->SetEnabled(true);
}

void TKeyCodePanel::edtHeaderKeyPress(char& key) {
  if (static_cast<unsigned char>(key) > 126) key = 0;
}

void TKeyCodePanel::tmrExitEditTimer() {
  tmrExitEdit->SetEnabled(false);
  pnlKeyCode->SetVisible(false);
}

void TKeyCodePanel::btnKeyCodeClick() {
  if (!FKeyEdit || !editKeyCode_) return;
  std::string text = FKeyEdit->Text();
  if (editKeyCode_(text)) FKeyEdit->SetText(text);
  // Back to the box, to go on typing where the dialog left off.
  if (FKeyEdit->Enabled() && FKeyEdit->Visible()) form_.SetFocus(*FKeyEdit);
}

}  // namespace km27
