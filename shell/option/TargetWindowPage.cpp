#include "shell/option/TargetWindowPage.h"

#include <exception>

#include "common/TextHelpers.h"
#include "device/Comm.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/Main.h"
#include "shell/WindowService.h"
#include "shell/option/Option.h"
#include "shell/option/OptionImages.h"

namespace km27 {

namespace {

// Columns of the window list.
enum { kHandleColumn = 0, kClassColumn = 1, kTitleColumn = 2 };

}  // namespace

TTargetWindowPage::TTargetWindowPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {
  CreateWindowList(sheet);
  CreateTargetGroup(sheet);
  CreateLockButtons(sheet);
  Timer2 = &form.Make<ui::Timer>("Timer2", kSampleIntervalMs, false);
  Timer2->OnTimer = [this] { Timer2Timer(); };
}

void TTargetWindowPage::CreateWindowList(ui::TabSheet& sheet) {
  lvwHWND = &form_.Make<ui::ListView>("lvwHWND", &sheet);
  lvwHWND->SetBounds(8, 8, 576, 140);
  lvwHWND->RowSelect = true;
  lvwHWND->SetColumns({{"No", 40}, {"HWND", 90}, {"Class Name", 170}, {"Window Title", 250}});
  lvwHWND->OnSelectItem = [this] { lvwHWNDSelectItem(); };

  btnTargetListRefresh = &form_.Make<ui::Button>("btnTargetListRefresh", &sheet);
  btnTargetListRefresh->SetBounds(444, 154, 140, 26);
  btnTargetListRefresh->SetCaption("Refresh");
  btnTargetListRefresh->OnClick = [this] { btnTargetListRefreshClick(); };
}

void TTargetWindowPage::CreateTargetGroup(ui::TabSheet& sheet) {
  grpTargetWindow = &form_.Make<ui::GroupBox>("grpTargetWindow", &sheet);
  grpTargetWindow->SetBounds(8, 184, 576, 136);
  grpTargetWindow->SetCaption("Target Window");
  auto row = [this](const char* check, const char* caption, const char* edit, int top, ui::Edit*& edt) {
    ui::CheckBox& c = form_.Make<ui::CheckBox>(check, grpTargetWindow);
    c.SetBounds(14, top + 2, 132, 18);  // room for the longer Japanese captions
    c.SetCaption(caption);
    edt = &form_.Make<ui::Edit>(edit, grpTargetWindow);
    edt->SetBounds(150, top, 412, 22);
    return &c;
  };
  chkHWND = row("chkHWND", "HWND", "edtHWND", 22, edtHWND);
  chkClassName = row("chkClassName", "Class Name", "edtClassName", 50, edtClassName);
  chkWinTitle = row("chkWinTitle", "Window Title", "edtWinTitle", 78, edtWinTitle);
  // The handle is always one of the identifiers.
  chkHWND->SetChecked(true);
  chkHWND->SetEnabled(false);

  btnTargetClear = &form_.Make<ui::Button>("btnTargetClear", grpTargetWindow);
  btnTargetClear->SetBounds(422, 104, 140, 26);
  btnTargetClear->SetCaption("Target Clear");
  btnTargetClear->OnClick = [this] { btnTargetClearClick(); };
}

void TTargetWindowPage::CreateLockButtons(ui::TabSheet& sheet) {
  imlTargetLock = &form_.Make<ui::ImageList>("imlTargetLock", kOptionImageSize, kOptionImageSize);
  AddTargetLockImages(*imlTargetLock);
  actLock = &form_.Make<ui::Action>("actLock");
  actLock->SetCaption("Target Window Lock");
  actLock->OnExecute = [this] { actLockExecute(); };
  actUnLock = &form_.Make<ui::Action>("actUnLock");
  actUnLock->SetCaption("Target Window Unlock");
  actUnLock->OnExecute = [this] { actUnLockExecute(); };
  // One group: one of the two is down at a time, and a click never lifts it.
  auto button = [this, &sheet](const char* name, ui::Action* action, int left) {
    ui::SpeedButton& b = form_.Make<ui::SpeedButton>(name, &sheet);
    b.SetBounds(left, 328, 284, 42);
    b.GroupIndex = 1;
    b.AllowAllUp = false;
    b.Images = imlTargetLock;
    b.SetAction(action);
    return &b;
  };
  spbTargetLock = button("spbTargetLock", actLock, 8);
  spbTargetUnLock = button("spbTargetUnLock", actUnLock, 300);
  actLock->SetImageIndex(kLockImage);
  actUnLock->SetImageIndex(kUnlockImage);
  spbTargetUnLock->SetDown(true);
}

// ---- the frame's hooks ----

void TTargetWindowPage::Load() {
  chkHWND->SetChecked(true);
  chkClassName->SetChecked(TargetWindow.CheckClassName);
  chkWinTitle->SetChecked(TargetWindow.CheckWindowTitle);
  edtHWND->SetText(TargetWindow.HWND);
  edtClassName->SetText(TargetWindow.ClassName);
  edtWinTitle->SetText(TargetWindow.WindowTitle);
  if (TargetWindow.TargetLock)
    Lock();
  else
    SetLocked(false);
}

void TTargetWindowPage::Store(TOptionSettings& into) {
  TTargetWindow& t = into.TargetWindow;
  t.CheckHWND = chkHWND->Checked();
  t.CheckClassName = chkClassName->Checked();
  t.CheckWindowTitle = chkWinTitle->Checked();
  t.HWND = edtHWND->Text();
  t.ClassName = edtClassName->Text();
  t.WindowTitle = edtWinTitle->Text();
  // The working lock state goes back with the other target values.
  t.TargetLock = gTargetLocked;
}

void TTargetWindowPage::PageChanged(bool shown) {
  if (!shown) {
    StopSampling();
    return;
  }
  // A language chosen meanwhile gave the group its plain caption back.
  grpTargetWindow->SetCaption(gTargetLocked ? gstrTargetLock : gstrTargetUnLock);
  StartSampling();
}

void TTargetWindowPage::Closed() { StopSampling(); }

// ---- sampling ----

void TTargetWindowPage::StartSampling() {
  lvwHWND->ClearRows();
  sampling_ = true;
  Timer2->SetEnabled(true);
}

void TTargetWindowPage::StopSampling() {
  sampling_ = false;
  Timer2->SetEnabled(false);
}

bool TTargetWindowPage::IsOwnWindow(const std::string& className, const std::string& title) const {
  for (const ui::Form* f : {static_cast<const ui::Form*>(&form_), static_cast<const ui::Form*>(frmMain),
                            static_cast<const ui::Form*>(frmComm)})
    if (f && className == f->WindowClassName && title == f->Caption()) return true;
  return false;
}

void TTargetWindowPage::Timer2Timer() {
  // A dialog hidden without closing (the program ending) samples no more.
  if (!form_.Showing()) {
    StopSampling();
    return;
  }
  WindowHandle window = 0;
  std::string title, className;
  try {
    IWindowService& windows = WindowService();
    window = windows.ForegroundWindow();
    if (window == 0) return;  // the foreground is passing between windows
    title = windows.WindowTitle(window, kMaxTitle);
    className = windows.WindowClassName(window, kMaxClassName);
  } catch (const std::exception& e) {
    Ask(e.what(), ui::MsgIcon::None, ui::MsgButtons::OK);
    return;
  }
  // Every window has a class: without one it closed while it was read.
  if (className.empty()) return;
  try {
    if (IsOwnWindow(className, title)) return;
    const std::string handle = std::to_string(window);
    for (const ui::ListRow& row : lvwHWND->Rows())
      if (row.subItems.size() > kHandleColumn && row.subItems[kHandleColumn] == handle) return;
    ui::ListRow row;
    row.caption = std::to_string(lvwHWND->Rows().size() + 1);
    row.subItems = {handle, TrimControl(className), title};
    lvwHWND->AddRow(row);
  } catch (const std::exception&) {
    // A window that cannot be listed is skipped; the next tick goes on.
  }
}

ui::MsgResult TTargetWindowPage::Ask(const std::string& text, ui::MsgIcon icon, ui::MsgButtons buttons) {
  Timer2->SetEnabled(false);
  const ui::MsgResult answer = ui::App().MessageBox(text, "", icon, buttons);
  Timer2->SetEnabled(sampling_);
  return answer;
}

void TTargetWindowPage::btnTargetListRefreshClick() { StartSampling(); }

// ---- picking ----

void TTargetWindowPage::lvwHWNDSelectItem() {
  if (spbTargetLock->Down()) return;
  const int i = lvwHWND->SelectedIndex();
  if (i < 0) return;
  const ui::ListRow& row = lvwHWND->Rows()[static_cast<size_t>(i)];
  if (row.subItems.size() <= kTitleColumn) return;
  edtHWND->SetText(row.subItems[kHandleColumn]);
  edtClassName->SetText(row.subItems[kClassColumn]);
  edtWinTitle->SetText(row.subItems[kTitleColumn]);
}

void TTargetWindowPage::btnTargetClearClick() {
  edtHWND->SetText("");
  edtClassName->SetText("");
  edtWinTitle->SetText("");
}

// ---- lock ----

void TTargetWindowPage::actLockExecute() {
  if (!gTargetLocked) Lock();
}

void TTargetWindowPage::actUnLockExecute() {
  if (!gTargetLocked) return;
  if (Ask(gstrAskCancelTargetLock, ui::MsgIcon::Information, ui::MsgButtons::OKCancel) == ui::MsgResult::OK)
    SetLocked(false);
  else
    spbTargetLock->SetDown(true);  // the click put the unlock button down
}

void TTargetWindowPage::Lock() {
  if (edtHWND->Text().empty() && edtClassName->Text().empty() && edtWinTitle->Text().empty()) {
    Ask(gstrNotSelectTarget, ui::MsgIcon::Confirmation, ui::MsgButtons::OK);
    // Nothing to lock: the page, and so the lock that OK stores, is unlocked.
    SetLocked(false);
    return;
  }
  SetLocked(true);
}

void TTargetWindowPage::SetLocked(bool locked) {
  (locked ? spbTargetLock : spbTargetUnLock)->SetDown(true);
  btnTargetClear->SetEnabled(!locked);
  grpTargetWindow->SetEnabled(!locked);
  for (ui::Control* c : grpTargetWindow->Children())
    if (c != chkHWND) c->SetEnabled(!locked);
  grpTargetWindow->SetCaption(locked ? gstrTargetLock : gstrTargetUnLock);
  actLock->SetImageIndex(locked ? kLockImageLocked : kLockImage);
  actUnLock->SetImageIndex(locked ? kUnlockImageLocked : kUnlockImage);
  gTargetLocked = locked;
}

}  // namespace km27
