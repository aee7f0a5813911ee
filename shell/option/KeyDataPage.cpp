#include "shell/option/KeyDataPage.h"

#include "shell/option/BlockEditor.h"
#include "shell/option/BlockLists.h"
#include "shell/option/KeyCodePanel.h"
#include "shell/option/KeyDataFormat.h"
#include "shell/option/KeyDataPicture.h"
#include "shell/option/Option.h"

namespace km27 {

namespace {

// The picture on top, the sub-pages beneath it.
constexpr int kPictureHeight = 116;
constexpr int kSubPagesTop = kPictureHeight + 10;

}  // namespace

TKeyDataPage::TKeyDataPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {
  picture_ = std::make_unique<TKeyDataPicture>(form, sheet, ui::Rect{8, 6, kOptionPageWidth - 16, kPictureHeight});

  PageControl3 = &form.Make<ui::PageControl>("PageControl3", &sheet);
  PageControl3->SetBounds(8, kSubPagesTop, kOptionPageWidth - 16, kOptionPageHeight - kSubPagesTop - 4);
  auto sub = [&](const char* name, const char* caption) {
    ui::TabSheet& t = form.Make<ui::TabSheet>(name, PageControl3);
    t.SetCaption(caption);
    return &t;
  };
  tabKeyDataFormat = sub("tabKeyDataFormat", "Key Data Format");
  tabBlockFormat = sub("tabBlockFormat", "Block Format");
  tabDatatable = sub("tabDatatable", "Data table");
  PageControl3->SetActivePage(tabKeyDataFormat);
  PageControl3->OnChange = [this] { PageControl3Change(); };

  format_ = std::make_unique<TKeyDataFormat>(form, *tabKeyDataFormat, [this] { return FormatShown(); });
  editor_ = std::make_unique<TBlockEditor>(form, *tabBlockFormat, ui::Rect{336, 0, 230, 212});
  lists_ = std::make_unique<TBlockLists>(form, *tabBlockFormat, *tabDatatable, *editor_);
  keyCode_ = std::make_unique<TKeyCodePanel>(form, *tabKeyDataFormat, [&form](std::string& text) {
    return form.Links().EditKeyCode && form.Links().EditKeyCode(text);
  });
  for (ui::Edit* e : {format_->edtHeader, format_->edtTrackSeparator, format_->edtTerminator, editor_->edtBlockHeader,
                      editor_->edtBlockFooter})
    keyCode_->Attach(*e);
  editor_->OnModified = [this] { lists_->RestartModify(); };
  editor_->OnSelectReadData = [this] { btnSelReadDataClick(); };
  picture_->ShowFormatLabels(true);
}

TKeyDataPage::~TKeyDataPage() = default;

// ---- hooks of the frame ----

void TKeyDataPage::ShowFirstSubPage() {
  PageControl3->SetActivePage(tabKeyDataFormat);
  PageControl3Change();
}

void TKeyDataPage::Load() {
  format_->Load(KeyData);
  lists_->Load(KeyData);
}

void TKeyDataPage::Store(TOptionSettings& into) {
  format_->Store(into.KeyData);
  lists_->Store(into.KeyData);
}

bool TKeyDataPage::KeepPendingEdit() {
  bool allow = true;
  lists_->tabTracksChanging(allow);
  return allow;
}

void TKeyDataPage::ApplyLayout() {
  const bool single = CardData.SingleTrack;
  format_->ApplyLayout(single);
  picture_->SetSingleTrack(single);
}

bool TKeyDataPage::FormatShown() const {
  return form_.Showing() && form_.PageControl1->ActivePage() == &Sheet() &&
         PageControl3->ActivePage() == tabKeyDataFormat;
}

void TKeyDataPage::PageControl3Change() {
  keyCode_->Hide();
  picture_->ShowFormatLabels(PageControl3->ActivePage() == tabKeyDataFormat);
}

// ---- the read data dialog ----

void TKeyDataPage::btnSelReadDataClick() {
  if (form_.Links().SelectReadData) form_.Links().SelectReadData(*this);
}

int TKeyDataPage::TrackTabIndex() { return lists_->tabTracks->ItemIndex(); }

std::string TKeyDataPage::TrackTabCaption() {
  const int i = lists_->tabTracks->ItemIndex();
  return i >= 0 ? lists_->tabTracks->Items()[static_cast<size_t>(i)] : std::string();
}

int TKeyDataPage::BlockStart() { return editor_->Start(); }

int TKeyDataPage::BlockDigit() { return editor_->Digit(); }

void TKeyDataPage::SetBlockRange(int start, int digit) {
  editor_->updBlockStart->SetPosition(start);
  editor_->updBlockDigit->SetPosition(digit);
}

}  // namespace km27
