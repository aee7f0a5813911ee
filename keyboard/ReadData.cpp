#include "keyboard/ReadData.h"

#include "keyboard/BlockRows.h"
#include "settings/Define.h"
#include "settings/Messages.h"

namespace km27 {

TfrmReadData* frmReadData = nullptr;

namespace {

// "リードデータからマウスで送信範囲を選択できます" (the range to send can be
// selected in the read data with the mouse), code page 932.
constexpr char kCardDataHint[] =
    "\x83\x8a\x81\x5b\x83\x68\x83\x66\x81\x5b\x83\x5e\x82\xa9\x82\xe7\x83\x7d\x83\x45\x83\x58\x82\xc5\x91\x97"
    "\x90\x4d\x94\xcd\x88\xcd\x82\xf0\x91\x49\x91\xf0\x82\xc5\x82\xab\x82\xdc\x82\xb7";

ui::UpDown& NumberBox(TfrmReadData& form, ui::Edit*& edit, const char* editName, const char* upDownName, int left) {
  edit = &form.Make<ui::Edit>(editName);
  edit->SetBounds(left, 104, 57, 21);
  auto& ud = form.Make<ui::UpDown>(upDownName);
  ud.SetBounds(left + 57, 104, 16, 21);
  ud.Associate = edit;
  ud.SetRange(1, TfrmReadData::kMaxPosition);
  ud.SetPosition(1);
  return ud;
}

}  // namespace

TfrmReadData::TfrmReadData() : ui::Form("frmReadData") {
  SetCaption("Read Data");
  WindowClassName = "TfrmReadData";
  ClientWidth = 628;
  ClientHeight = 146;
  position = Position::MainFormCenter;
  borderStyle = BorderStyle::Dialog;
  MinimizeBox = MaximizeBox = false;
  ui::Font tahoma;
  tahoma.size = 8;
  SetFont(tahoma);

  lblReadTrack = &Make<ui::Label>("lblReadTrack");
  ui::Font heading = tahoma;
  heading.height = 16;
  heading.bold = true;
  lblReadTrack->SetFont(heading);
  lblReadTrack->SetBounds(8, 8, 180, 20);

  lblMessage = &Make<ui::Label>("lblMessage");
  lblMessage->SetBounds(196, 11, 424, 16);

  lblCardData = &Make<ui::Label>("lblCardData");
  lblCardData->SetBounds(8, 38, 120, 14);
  lblCardData->SetCaption("Card Data");

  edtBlockCardData = &Make<ui::Edit>("edtBlockCardData");
  edtBlockCardData->SetBounds(8, 54, 612, 21);
  edtBlockCardData->SetReadOnly(true);
  edtBlockCardData->SetHint(kCardDataHint);
  edtBlockCardData->SetShowHint(true);

  lblBlockStart = &Make<ui::Label>("lblBlockStart");
  lblBlockStart->SetBounds(8, 88, 90, 14);
  lblBlockStart->SetCaption("Start Position");
  updBlockStart = &NumberBox(*this, edtBlockStart, "edtBlockStart", "updBlockStart", 8);

  lblBlockDigit = &Make<ui::Label>("lblBlockDigit");
  lblBlockDigit->SetBounds(104, 88, 90, 14);
  lblBlockDigit->SetCaption("Digit");
  updBlockDigit = &NumberBox(*this, edtBlockDigit, "edtBlockDigit", "updBlockDigit", 104);

  lblNote = &Make<ui::Label>("lblNote");
  lblNote->SetBounds(200, 88, 256, 50);
  lblNote->SetCaption("Note");

  btnOK = &Make<ui::Button>("btnOK");
  btnOK->SetBounds(464, 112, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->Default = true;

  btnCancel = &Make<ui::Button>("btnCancel");
  btnCancel->SetBounds(545, 112, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->Cancel = true;

  OnShow = [this] { FormShow(); };
  OnClose = [this](ui::CloseAction& action) { FormClose(action); };
  edtBlockCardData->OnKeyUp = [this](uint16_t& key, int shift) { edtBlockCardDataKeyUp(key, shift); };
  edtBlockCardData->OnMouseMove = [this](int shift, int x, int y) { edtBlockCardDataMouseMove(shift, x, y); };
  btnOK->OnClick = [this] { btnOKClick(); };
  btnCancel->OnClick = [this] { btnCancelClick(); };
}

bool TfrmReadData::Execute() {
  ShowModal();
  return confirmed;
}

void TfrmReadData::FormShow() {
  confirmed = false;
  edtBlockCardData->SetText("");
  if (Host) {
    updBlockStart->SetPosition(Host->BlockStart());
    updBlockDigit->SetPosition(Host->BlockDigit());
  }
  lblMessage->SetCaption(gstrSelectBlockDataByReadData);
  lblReadTrack->SetCaption(Host ? Host->TrackTabCaption() : std::string());
  // A card can be read only while the converter runs.
  if (Run.Start) Run.Start();
}

void TfrmReadData::ShowReadData() {
  edtBlockCardData->SetText("");
  updBlockStart->SetPosition(1);
  updBlockDigit->SetPosition(1);
  // The message says there is nothing to mark yet; it goes while a read shows.
  lblMessage->SetCaption(gstrSelectBlockDataByReadData);
  bool anyData = false;
  for (size_t k = 1; k <= 4; ++k) anyData = anyData || !CardData.TrackData[k].empty();
  if (!anyData) return;
  int slot = TrackOfTab((Host ? Host->TrackTabIndex() : -1) + 1);
  if (slot < 1 || slot > 4) return;
  const ByteString& data = CardData.TrackData[static_cast<size_t>(slot)];
  if (data.empty()) return;
  lblMessage->SetCaption("");
  edtBlockCardData->SetText(data);
  edtBlockCardData->SetSelection(0, static_cast<int>(data.size()));
  SetFocus(*edtBlockCardData);
  TakeSelection();
}

void TfrmReadData::TakeSelection() {
  int length = edtBlockCardData->SelLength();
  if (length <= 0) return;
  updBlockStart->SetPosition(edtBlockCardData->SelStart() + 1);
  updBlockDigit->SetPosition(length);
  edtBlockCardData->SetSelection(updBlockStart->Position() - 1, updBlockDigit->Position());
}

void TfrmReadData::edtBlockCardDataKeyUp(uint16_t&, int) { TakeSelection(); }

void TfrmReadData::edtBlockCardDataMouseMove(int, int, int) { TakeSelection(); }

void TfrmReadData::btnOKClick() {
  confirmed = true;
  if (Host) Host->SetBlockRange(updBlockStart->Position(), updBlockDigit->Position());
  Close();
}

void TfrmReadData::btnCancelClick() { Close(); }

void TfrmReadData::FormClose(ui::CloseAction&) {
  if (gRunning && Run.Stop) Run.Stop();
  if (Run.ShowMain) Run.ShowMain();
}

// ---- the host found by control names ----

int TNamedControlsReadDataHost::TrackTabIndex() {
  if (auto* tc = form_.Find<ui::TabControl>("tabTracks")) return tc->ItemIndex();
  if (auto* pc = form_.Find<ui::PageControl>("tabTracks")) {
    int index = 0;
    for (ui::TabSheet* page : pc->Pages()) {
      if (!page->TabVisible()) continue;
      if (page == pc->ActivePage()) return index;
      ++index;
    }
  }
  return -1;
}

std::string TNamedControlsReadDataHost::TrackTabCaption() {
  if (auto* tc = form_.Find<ui::TabControl>("tabTracks")) {
    int i = tc->ItemIndex();
    return i >= 0 ? tc->Items()[static_cast<size_t>(i)] : std::string();
  }
  if (auto* pc = form_.Find<ui::PageControl>("tabTracks"))
    if (pc->ActivePage()) return pc->ActivePage()->Caption();
  return {};
}

int TNamedControlsReadDataHost::BlockStart() {
  auto* ud = form_.Find<ui::UpDown>("updBlockStart");
  return ud ? ud->Position() : 1;
}

int TNamedControlsReadDataHost::BlockDigit() {
  auto* ud = form_.Find<ui::UpDown>("updBlockDigit");
  return ud ? ud->Position() : 1;
}

void TNamedControlsReadDataHost::SetBlockRange(int start, int digit) {
  if (auto* ud = form_.Find<ui::UpDown>("updBlockStart")) ud->SetPosition(start);
  if (auto* ud = form_.Find<ui::UpDown>("updBlockDigit")) ud->SetPosition(digit);
}

}  // namespace km27
