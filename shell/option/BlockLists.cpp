#include "shell/option/BlockLists.h"

#include "common/TextHelpers.h"
#include "keyboard/BlockRows.h"
#include "settings/Messages.h"
#include "shell/option/BlockEditor.h"

namespace km27 {

std::array<int, 4> gSelectedBlockRow{-1, -1, -1, -1};
std::array<TBlockData, 4> gBlockEdit{};

namespace {

constexpr uint32_t kModifyDelayMs = 200;
constexpr int kPlainImage = 0, kSelectedImage = 1, kChangedImage = 2;

std::string Cell(const ui::ListRow& row, size_t column) {
  return column < row.subItems.size() ? row.subItems[column] : std::string();
}

std::vector<ui::ListColumn> BlockColumns(const std::vector<int>& widths) {
  const char* titles[] = {"No.", "Track", "All", "Start", "Digit", "Header", "Footer"};
  std::vector<ui::ListColumn> columns;
  for (size_t i = 0; i < widths.size(); ++i) columns.push_back({titles[i], widths[i]});
  return columns;
}

ui::MsgResult Ask(const std::string& text, ui::MsgButtons buttons) {
  return ui::App().MessageBox(text, "", ui::MsgIcon::Confirmation, buttons);
}

}  // namespace

TBlockLists::TBlockLists(ui::Form& form, ui::TabSheet& blockSheet, ui::TabSheet& tableSheet, TBlockEditor& editor)
    : form_(form), editor_(editor) {
  imlBlockRows = &form.Make<ui::ImageList>("imlBlockRows", 16, 16);
  AddBlockRowImages(*imlBlockRows);

  tabTracks = &form.Make<ui::TabControl>("tabTracks", &blockSheet);
  tabTracks->SetBounds(4, 4, 326, 176);
  tabTracks->OnChanging = [this](bool& allow) { tabTracksChanging(allow); };
  tabTracks->OnChange = [this] { tabTracksChange(); };

  lvwEditBlockData = &form.Make<ui::ListView>("lvwEditBlockData", tabTracks);
  lvwEditBlockData->SetBounds(6, 28, 314, 142);
  lvwEditBlockData->GridLines = true;
  lvwEditBlockData->SetSmallImages(imlBlockRows);
  lvwEditBlockData->SetColumns(BlockColumns({32, 46, 30, 42, 40, 58, 54}));
  lvwEditBlockData->OnClick = [this] { lvwEditBlockDataClick(); };
  // A row chosen with the keyboard is taken like a clicked one.
  lvwEditBlockData->OnSelectItem = [this] { lvwEditBlockDataClick(); };

  lvwBlockData = &form.Make<ui::ListView>("lvwBlockData", &tableSheet);
  lvwBlockData->SetBounds(4, 4, 562, 208);
  lvwBlockData->CheckBoxes = true;
  lvwBlockData->GridLines = true;
  lvwBlockData->SetSmallImages(imlBlockRows);
  lvwBlockData->SetColumns(BlockColumns({52, 60, 50, 60, 60, 130, 130}));
  // The mark says which block Update and Delete act on: it follows the edit
  // list's selection alone, so a tick of the user's is taken back at once.
  lvwBlockData->OnCheck = [this](size_t row) {
    lvwBlockData->SetChecked(row, !lvwBlockData->Rows()[row].checked);
  };

  auto action = [&](const char* actionName, const char* caption, const char* buttonName, int left,
                    ui::SpeedButton*& button, void (TBlockLists::*execute)()) {
    ui::Action& a = form.Make<ui::Action>(actionName);
    a.SetCaption(caption);
    a.OnExecute = [this, execute] { (this->*execute)(); };
    button = &form.Make<ui::SpeedButton>(buttonName, &blockSheet);
    button->SetBounds(left, 184, 76, 26);
    button->SetAction(&a);
    return &a;
  };
  actAddBlockData = action("actAddBlockData", "Add", "spbAddBlockData", 4, spbAddBlockData,
                           &TBlockLists::actAddBlockDataExecute);
  actUpdateBlockData = action("actUpdateBlockData", "Update", "spbUpdateBlockData", 86, spbUpdateBlockData,
                              &TBlockLists::actUpdateBlockDataExecute);
  actDeleteBlockData = action("actDeleteBlockData", "Delete", "spbDeleteBlockData", 168, spbDeleteBlockData,
                              &TBlockLists::actDeleteBlockDataExecute);
  actClearBlockData = action("actClearBlockData", "Clear ", "spbClear", 250, spbClear,
                             &TBlockLists::actClearBlockDataExecute);

  tmrModify = &form.Make<ui::Timer>("tmrModify", kModifyDelayMs, false);
  tmrModify->OnTimer = [this] { tmrModifyTimer(); };
}

// ---- load and store ----

void TBlockLists::Load(const TKeyFormat& keys) {
  RebuildTabs();
  std::vector<ui::ListRow> rows;
  for (const TBlockData& b : keys.Blocks) {
    ui::ListRow row = BlockRow(b);
    row.imageIndex = kPlainImage;
    rows.push_back(row);
  }
  lvwBlockData->SetRows(rows);
  RenumberRows(*lvwBlockData);
  gSelectedBlockRow.fill(-1);
  RebuildEditList();
  if (rows.empty()) editor_.SetAllData();
  RefreshActions();
}

void TBlockLists::Store(TKeyFormat& keys) const {
  keys.Blocks.clear();
  for (const ui::ListRow& row : lvwBlockData->Rows()) keys.Blocks.push_back(BlockFromRow(row));
  keys.BlockNum = static_cast<int32_t>(keys.Blocks.size());
}

void TBlockLists::RebuildTabs() {
  std::vector<std::string> tabs;
  for (int n = 1; TrackOfTab(n) > 0; ++n) tabs.push_back(gstrTrackName + " " + IntToStr(TrackOfTab(n)));
  tabTracks->SetItems(tabs);
  tabTracks->SetItemIndex(tabs.empty() ? -1 : 0);
}

// ---- the current tab ----

int TBlockLists::Slot() const {
  const int t = tabTracks->ItemIndex();
  return t >= 0 && t < static_cast<int>(gSelectedBlockRow.size()) ? t : -1;
}

int TBlockLists::TabTrack() const { return Slot() < 0 ? 0 : TrackOfTab(Slot() + 1); }

int TBlockLists::MarkedRow() const {
  const auto& rows = lvwBlockData->Rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].checked) return static_cast<int>(i);
  return -1;
}

void TBlockLists::UnmarkTable() {
  for (size_t i = 0; i < lvwBlockData->Rows().size(); ++i) lvwBlockData->SetChecked(i, false);
}

void TBlockLists::RebuildEditList() {
  UnmarkTable();
  const int slot = Slot();
  const std::string track = IntToStr(TabTrack());
  std::vector<ui::ListRow> rows;
  for (const ui::ListRow& r : lvwBlockData->Rows()) {
    if (slot >= 0 && Cell(r, kColTrack) != track) continue;
    ui::ListRow copy = r;
    copy.caption = IntToStr(static_cast<int64_t>(rows.size()) + 1);
    copy.checked = copy.selected = false;
    copy.imageIndex = kPlainImage;
    rows.push_back(copy);
  }
  lvwEditBlockData->SetRows(rows);
  if (slot < 0) return;
  const int selected = gSelectedBlockRow[static_cast<size_t>(slot)];
  if (selected < 0) return;
  if (selected >= static_cast<int>(rows.size())) {
    gSelectedBlockRow[static_cast<size_t>(slot)] = -1;
    return;
  }
  lvwEditBlockData->SetRowImage(static_cast<size_t>(selected), kSelectedImage);
  lvwEditBlockData->SetSelectedIndex(selected);
  lvwEditBlockDataClick();
}

// ---- the selected row ----

void TBlockLists::lvwEditBlockDataClick() {
  const int slot = Slot();
  const int selected = lvwEditBlockData->SelectedIndex();
  if (slot < 0) {
    // Without a tab the list only shows the blocks.
    RestartModify();
    return;
  }
  if (selected < 0) {
    // The selection is gone: so is the block it stood for.
    gSelectedBlockRow[static_cast<size_t>(slot)] = -1;
    UnmarkTable();
    for (size_t i = 0; i < lvwEditBlockData->Rows().size(); ++i) lvwEditBlockData->SetRowImage(i, kPlainImage);
    RestartModify();
    return;
  }
  gSelectedBlockRow[static_cast<size_t>(slot)] = selected;
  for (size_t i = 0; i < lvwEditBlockData->Rows().size(); ++i)
    if (static_cast<int>(i) != selected) lvwEditBlockData->SetRowImage(i, kPlainImage);
  // The n-th block of the tab's track in the data table is the one selected.
  UnmarkTable();
  const std::string track = IntToStr(TabTrack());
  int n = selected + 1;
  const auto& table = lvwBlockData->Rows();
  for (size_t i = 0; i < table.size(); ++i) {
    if (Cell(table[i], kColTrack) == track && --n == 0) {
      lvwBlockData->SetChecked(i, true);
      break;
    }
  }
  lvwEditBlockData->SetRowImage(static_cast<size_t>(selected), kSelectedImage);
  editor_.LoadRow(lvwEditBlockData->Rows()[static_cast<size_t>(selected)]);
  RestartModify();
}

bool TBlockLists::EditorChanged() const {
  const int marked = MarkedRow();
  if (marked < 0) return false;
  const ui::ListRow& row = lvwBlockData->Rows()[static_cast<size_t>(marked)];
  bool differs;
  if (UpperCase(Cell(row, kColAll)) == "ON") {
    differs = !editor_.AllData();
  } else {
    differs = editor_.AllData() || IntToStr(editor_.Start()) != Cell(row, kColStart) ||
              IntToStr(editor_.Digit()) != Cell(row, kColDigit);
  }
  return differs || TrimControl(editor_.edtBlockHeader->Text()) != TrimControl(Cell(row, kColHeader)) ||
         TrimControl(editor_.edtBlockFooter->Text()) != TrimControl(Cell(row, kColFooter));
}

// ---- action state ----

void TBlockLists::RestartModify() {
  tmrModify->SetEnabled(false);
  tmrModify->SetEnabled(true);
}

void TBlockLists::tmrModifyTimer() {
  tmrModify->SetEnabled(false);
  RefreshActions();
}

void TBlockLists::RefreshActions() {
  // Without a tab there is no track to add to: the lists only show.
  const bool tab = Slot() >= 0;
  const bool rows = !lvwEditBlockData->Rows().empty();
  const int selected = tab ? lvwEditBlockData->SelectedIndex() : -1;
  const bool changed = selected >= 0 && EditorChanged();
  actAddBlockData->SetEnabled(tab);
  actUpdateBlockData->SetEnabled(changed);
  actDeleteBlockData->SetEnabled(selected >= 0);
  actClearBlockData->SetEnabled(tab && rows);
  if (selected >= 0) lvwEditBlockData->SetRowImage(static_cast<size_t>(selected), changed ? kChangedImage : kSelectedImage);
}

// ---- actions ----

void TBlockLists::actAddBlockDataExecute() {
  const int slot = Slot();
  if (slot < 0) return;
  if (editor_.SelectsNothing()) {
    Ask(gstrNotInpuData, ui::MsgButtons::OK);
    return;
  }
  TBlockData& block = gBlockEdit[static_cast<size_t>(slot)];
  block = editor_.Block(TabTrack());
  AddBlockRow(*lvwBlockData, block);
  AddBlockRow(*lvwEditBlockData, block);
  RebuildEditList();
  RestartModify();
}

void TBlockLists::actUpdateBlockDataExecute() {
  const int slot = Slot();
  if (editor_.SelectsNothing()) {
    Ask(gstrNotInpuData, ui::MsgButtons::OK);
    return;
  }
  if (slot < 0 || gSelectedBlockRow[static_cast<size_t>(slot)] < 0) {
    Ask(gstrNotUpdateTarget, ui::MsgButtons::OK);
    return;
  }
  if (!FSilentUpdate && Ask(gstrAskUpdateData, ui::MsgButtons::OKCancel) != ui::MsgResult::OK) return;
  TBlockData& block = gBlockEdit[static_cast<size_t>(slot)];
  block = editor_.Block(TabTrack());
  UpdateBlockRow(*lvwBlockData, MarkedRow(), block);
  RebuildEditList();
  RestartModify();
}

void TBlockLists::actDeleteBlockDataExecute() {
  const int slot = Slot();
  const int selected = lvwEditBlockData->SelectedIndex();
  if (slot < 0 || lvwEditBlockData->Rows().empty() || selected < 0) {
    Ask(gstrNotUpdateTarget, ui::MsgButtons::OK);
    return;
  }
  if (Ask(gstrAskDeleteData, ui::MsgButtons::OKCancel) != ui::MsgResult::OK) return;
  const int marked = MarkedRow();
  DeleteBlockRow(*lvwEditBlockData, selected);
  DeleteBlockRow(*lvwBlockData, marked);
  gSelectedBlockRow[static_cast<size_t>(slot)] = -1;
  RebuildEditList();
  RestartModify();
}

void TBlockLists::actClearBlockDataExecute() {
  const int slot = Slot();
  if (slot < 0 || lvwBlockData->Rows().empty()) return;
  const std::string tab = tabTracks->Items()[static_cast<size_t>(slot)];
  if (Ask(ReplaceAll(gstrAskClearData, "<TRACK>", tab), ui::MsgButtons::OKCancel) != ui::MsgResult::OK) return;
  lvwEditBlockData->ClearRows();
  DeleteTrackRows(*lvwBlockData, slot + 1);
  gSelectedBlockRow[static_cast<size_t>(slot)] = -1;
  RestartModify();
}

// ---- tabs ----

void TBlockLists::tabTracksChanging(bool& allow) {
  if (!form_.Showing()) return;
  // What the editor holds now counts, also within the moment before the
  // action state follows a change.
  RefreshActions();
  if (!actUpdateBlockData->Enabled()) return;
  switch (Ask(gstrAskUpdateEditingData, ui::MsgButtons::YesNoCancel)) {
    case ui::MsgResult::Yes:
      FSilentUpdate = true;
      actUpdateBlockDataExecute();
      FSilentUpdate = false;
      actUpdateBlockData->SetEnabled(false);
      break;
    case ui::MsgResult::No:
      break;
    default:
      allow = false;
      break;
  }
}

void TBlockLists::tabTracksChange() {
  RebuildEditList();
  RestartModify();
}

}  // namespace km27
