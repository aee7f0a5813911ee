#include "shell/option/KeyDataFormat.h"

#include "common/TextHelpers.h"
#include "keyboard/KeyNotation.h"
#include "shell/option/KeyDataPicture.h"

namespace km27 {

namespace {

constexpr uint8_t kEnterKey = 0x0D;
constexpr uint8_t kTabKey = 0x09;

// One row of the sub-page: the group with its four items in a line, the
// edit box for "Other" beside it (the key code button goes right of that).
constexpr int kGroupLeft = 6, kGroupWidth = 372, kGroupHeight = 46;
constexpr int kEditLeft = 384, kEditWidth = 100;
constexpr int kRowTop = 6, kRowStep = 56;

}  // namespace

int KeyChoiceIndex(const std::string& stored) {
  std::string name = TrimControl(stored);
  if (name.empty()) return 0;
  if (name.front() == '[') name.erase(0, 1);
  if (!name.empty() && name.back() == ']') name.pop_back();
  switch (name.empty() ? 0 : KeyCodeOfName(name)) {
    case kEnterKey: return 1;
    case kTabKey: return 2;
    default: return 3;
  }
}

std::string KeyChoiceText(int index, const std::string& other) {
  switch (index) {
    case 1: return "[" + KeyName(kEnterKey) + "]";
    case 2: return "[" + KeyName(kTabKey) + "]";
    case 3: return other;
    default: return "";
  }
}

TKeyDataFormat::TKeyDataFormat(ui::Form& form, ui::TabSheet& sheet, std::function<bool()> formatShown)
    : form_(form), formatShown_(std::move(formatShown)) {
  const std::vector<std::string> items{"None", "Enter Key", "TAB Key", "Other"};
  auto row = [&](int index, const char* groupName, const char* caption, const char* editName, const char* markName,
                 ui::Edit*& edit, ui::Panel*& mark) {
    const int top = kRowTop + index * kRowStep;
    ui::RadioGroup& g = form.Make<ui::RadioGroup>(groupName, &sheet);
    g.SetBounds(kGroupLeft, top, kGroupWidth, kGroupHeight);
    g.SetCaption(caption);  // the two blanks leave room for the marker
    g.Columns = 4;
    g.SetItems(items);
    g.SetItemIndex(0);
    mark = &MakeAreaMarker(form, markName, g, index + 1, 9, 3);
    edit = &form.Make<ui::Edit>(editName, &sheet);
    edit->SetBounds(kEditLeft, top + 17, kEditWidth, 21);
    edit->SetEnabled(false);
    return &g;
  };
  rdgHeader = row(0, "rdgHeader", "   1: Header", "edtHeader", "pnlHeaderMark", edtHeader, pnlHeaderMark);
  rdgTrackSeparator = row(1, "rdgTrackSeparator", "   2: Track Separator (Only ISO)", "edtTrackSeparator",
                          "pnlTrackSeparatorMark", edtTrackSeparator, pnlTrackSeparatorMark);
  rdgTerminator = row(2, "rdgTerminator", "   3: Terminator", "edtTerminator", "pnlTerminatorMark", edtTerminator,
                      pnlTerminatorMark);
  rdgHeader->OnClick = [this] { rdgHeaderClick(); };
  rdgTrackSeparator->OnClick = [this] { rdgTrackSeparatorClick(); };
  rdgTerminator->OnClick = [this] { rdgTerminatorClick(); };
  separatorGroup_ = rdgTrackSeparator->Bounds();
  separatorEdit_ = edtTrackSeparator->Bounds();
  terminatorGroup_ = rdgTerminator->Bounds();
  terminatorEdit_ = edtTerminator->Bounds();
}

void TKeyDataFormat::Load(const TKeyFormat& keys) {
  auto load = [](ui::RadioGroup& group, ui::Edit& edit, const std::string& stored) {
    const int index = KeyChoiceIndex(stored);
    group.SetItemIndex(index);
    edit.SetText(index == 3 ? stored : std::string());
    // The box is for "Other" only, whichever page is shown while loading.
    edit.SetEnabled(index == 3);
  };
  load(*rdgHeader, *edtHeader, keys.Header);
  load(*rdgTrackSeparator, *edtTrackSeparator, keys.TrackSeparator);
  load(*rdgTerminator, *edtTerminator, keys.Terminator);
}

void TKeyDataFormat::Store(TKeyFormat& keys) const {
  auto store = [](const ui::RadioGroup& group, const ui::Edit& edit, std::string& stored) {
    // No item chosen, or an item past the four this page knows (a language
    // file may list more): the stored key is not the user's to lose.
    const int index = group.ItemIndex();
    if (index >= 0 && index <= 3) stored = KeyChoiceText(index, edit.Text());
  };
  store(*rdgHeader, *edtHeader, keys.Header);
  store(*rdgTrackSeparator, *edtTrackSeparator, keys.TrackSeparator);
  store(*rdgTerminator, *edtTerminator, keys.Terminator);
}

void TKeyDataFormat::RadioClick(ui::RadioGroup& group, ui::Edit& edit) {
  if (formatShown_ && !formatShown_()) return;
  const bool other = group.ItemIndex() == 3;
  edit.SetEnabled(other);
  if (other) form_.SetFocus(edit);
}

void TKeyDataFormat::ApplyLayout(bool singleTrack) {
  for (ui::Control* c : {static_cast<ui::Control*>(rdgTrackSeparator), static_cast<ui::Control*>(edtTrackSeparator),
                         static_cast<ui::Control*>(pnlTrackSeparatorMark)})
    c->SetVisible(!singleTrack);
  rdgTerminator->SetBounds(singleTrack ? separatorGroup_ : terminatorGroup_);
  edtTerminator->SetBounds(singleTrack ? separatorEdit_ : terminatorEdit_);
}

}  // namespace km27
