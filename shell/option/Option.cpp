#include "shell/option/Option.h"

#include <algorithm>

#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/option/CommunicationPage.h"
#include "shell/option/ConnectionTest.h"
#include "shell/option/GeneralPage.h"
#include "shell/option/InformationPage.h"
#include "shell/option/KeyDataPage.h"
#include "shell/option/OptionImages.h"
#include "shell/option/Shortcuts.h"
#include "shell/option/TargetWindowPage.h"

namespace km27 {

TfrmOption* frmOption = nullptr;
int gOptionPage = 0;

TfrmOption::TfrmOption(TOptionLinks links) : ui::Form("frmOption"), links_(std::move(links)) {
  CreateFrame();
  general_ = std::make_unique<TGeneralPage>(*this, *tabGeneral);
  communication_ = std::make_unique<TCommunicationPage>(*this, *tabCommunication);
  targetWindow_ = std::make_unique<TTargetWindowPage>(*this, *tabTargetWindow);
  keyData_ = std::make_unique<TKeyDataPage>(*this, *tabKeyData);
  information_ = std::make_unique<TInformationPage>(*this, *tabInformation);
  connectionTest_ = std::make_unique<TConnectionTest>(links_, *communication_->lblConnectTest, [this] {
    general_->Load();
    keyData_->Load();
  });
}

TfrmOption::~TfrmOption() {
  if (frmOption == this) frmOption = nullptr;
}

void TfrmOption::CreateFrame() {
  SetCaption("Option");
  WindowClassName = "TfrmOption";
  ClientWidth = 600;
  ClientHeight = 484;
  position = Position::ScreenCenter;
  borderStyle = BorderStyle::Dialog;
  MinimizeBox = false;
  MaximizeBox = false;

  ImageList1 = &Make<ui::ImageList>("ImageList1", kOptionImageSize, kOptionImageSize);
  AddOptionImages(*ImageList1);

  ToolBar1 = &Make<ui::ToolBar>("ToolBar1");
  ToolBar1->SetBounds(0, 0, 600, 58);
  ToolBar1->Images = ImageList1;
  ToolBar1->ButtonWidth = 112;
  ToolBar1->ButtonHeight = 54;

  PageControl1 = &Make<ui::PageControl>("PageControl1");
  PageControl1->SetBounds(4, 62, kOptionPageWidth, kOptionPageHeight);
  auto sheet = [this](const char* name, const char* caption) {
    ui::TabSheet& t = Make<ui::TabSheet>(name, PageControl1);
    t.SetCaption(caption);
    return &t;
  };
  tabGeneral = sheet("tabGeneral", "General");
  tabCommunication = sheet("tabCommunication", "Communication");
  tabTargetWindow = sheet("tabTargetWindow", "Target Window");
  tabKeyData = sheet("tabKeyData", "Key Data");
  tabInformation = sheet("tabInformation", "About");
  PageControl1->SetActivePage(tabGeneral);

  // The action's picture index is the index of the page it shows.
  auto page = [this](const char* actionName, const char* caption, int index, const char* buttonName,
                     ui::ToolButton*& button) {
    ui::Action& a = Make<ui::Action>(actionName);
    a.SetCaption(caption);
    a.SetImageIndex(index);
    a.OnExecute = [this, &a] { PageActionExecute(a); };
    button = &Make<ui::ToolButton>(buttonName, ToolBar1);
    button->Grouped = true;
    button->SetAction(&a);
    return &a;
  };
  actGeneral = page("actGeneral", "General", 0, "tbnGeneral", tbnGeneral);
  actCommunication = page("actCommunication", "Communication", 1, "tbnCommunication", tbnCommunication);
  actTargetWindow = page("actTargetWindow", "Target", 2, "tbnTargetWindow", tbnTargetWindow);
  actKeyData = page("actKeyData", "Key Data", 3, "tbnKeyData", tbnKeyData);
  actInformation = page("actInformation", "Information", 4, "tbnInformation", tbnInformation);

  btnOK = &Make<ui::Button>("btnOK");
  btnOK->SetBounds(406, 448, 90, 28);
  btnOK->SetCaption("OK");
  btnOK->OnClick = [this] { btnOKClick(); };
  btnCancel = &Make<ui::Button>("btnCancel");
  btnCancel->SetBounds(504, 448, 90, 28);
  btnCancel->SetCaption("Cancel");
  btnCancel->Cancel = true;
  btnCancel->OnClick = [this] { btnCancelClick(); };

  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnClose = [this](ui::CloseAction&) { FormClose(); };
}

std::vector<TOptionPage*> TfrmOption::Pages() const {
  return {general_.get(), communication_.get(), targetWindow_.get(), keyData_.get(), information_.get()};
}

// ---- pages ----

void TfrmOption::PageActionExecute(ui::Action& action) {
  const auto sheets = PageControl1->Pages();
  const int index = action.ImageIndex();
  if (index < 0 || index >= static_cast<int>(sheets.size())) return;
  PageControl1->SetActivePage(sheets[static_cast<size_t>(index)]);
  gOptionPage = index;
  PageChange();
}

void TfrmOption::PageChange() {
  ui::TabSheet* shown = PageControl1->ActivePage();
  for (TOptionPage* p : Pages()) p->PageChanged(&p->Sheet() == shown);
  // The tool bar shows which page is open.
  for (ui::ToolButton* b : ToolBar1->Buttons()) {
    ui::Action* a = b->GetAction();
    const auto sheets = PageControl1->Pages();
    const int index = a ? a->ImageIndex() : -1;
    b->SetDown(index >= 0 && index < static_cast<int>(sheets.size()) && sheets[static_cast<size_t>(index)] == shown);
  }
}

void TfrmOption::ApplyOptionLayout() {
  for (TOptionPage* p : Pages()) p->ApplyLayout();
}

// ---- show ----

void TfrmOption::FormShow() {
  // 1. Pages change only by the tool bar; the last one shown comes back.
  const auto sheets = PageControl1->Pages();
  for (ui::TabSheet* t : sheets) t->SetTabVisible(false);
  gOptionPage = std::clamp(gOptionPage, 0, static_cast<int>(sheets.size()) - 1);
  PageControl1->SetActivePage(sheets[static_cast<size_t>(gOptionPage)]);
  for (TOptionPage* p : Pages()) p->ShowFirstSubPage();
  // 2. The release mode decides which service controls show.
  if (links_.ApplyReleaseMode) links_.ApplyReleaseMode();
  // 3.-6. Every page from the settings, in page order: start mode, port
  // list, target window, key data, about and key table.
  for (TOptionPage* p : Pages()) p->Load();
  // 7.
  PageChange();
  FCloseDecided = false;
}

// ---- OK, Cancel, closing ----

bool TfrmOption::KeepPendingEdits() {
  if (pendingEditSettled_) return true;
  for (TOptionPage* p : Pages())
    if (!p->KeepPendingEdit()) return false;
  pendingEditSettled_ = true;
  return true;
}

bool TfrmOption::SaveFromControls() {
  if (!KeepPendingEdits()) return false;
  TOptionSettings s = TOptionSettings::FromCurrent();
  for (TOptionPage* p : Pages()) p->Store(s);
  s.ApplyToCurrent();
  if (links_.ShowSetupValues) links_.ShowSetupValues();
  // A failed save keeps the old file and says so; the settings in memory keep
  // the user's values, so a later OK can still save them.
  if (links_.SaveSetupFile) links_.SaveSetupFile();
  FCloseDecided = true;
  return true;
}

void TfrmOption::btnOKClick() {
  // A running connection test has Serial.Port on the port it tries (OK is
  // off meanwhile; this also holds for a click that was already queued).
  if (exchangeBusy_) return;
  if (SaveFromControls()) Close();
  pendingEditSettled_ = false;
}

void TfrmOption::btnCancelClick() { Close(); }

void TfrmOption::FormCloseQuery(bool& canClose) {
  canClose = true;
  if (exchangeBusy_ && !FCloseDecided && !gCloseRequested) {
    canClose = false;
    return;
  }
  if (!KeepPendingEdits()) {
    canClose = false;
    pendingEditSettled_ = false;
    return;
  }
  if (FCloseDecided || gCloseRequested || !Showing()) {
    pendingEditSettled_ = false;
    return;
  }
  TOptionSettings copy = TOptionSettings::FromCurrent();
  for (TOptionPage* p : Pages()) p->Store(copy);
  FCloseDecided = false;
  const bool targetShown = PageControl1->ActivePage() == tabTargetWindow;
  if (OptionSettingsDiffer(copy, TOptionSettings::FromCurrent(), targetShown)) {
    switch (ui::App().MessageBox(gstrAskUpdateSetupData, "", ui::MsgIcon::Confirmation, ui::MsgButtons::YesNoCancel)) {
      case ui::MsgResult::Yes:
        FCloseDecided = true;
        canClose = SaveFromControls();
        break;
      case ui::MsgResult::No:
        FCloseDecided = true;
        break;
      default:
        canClose = false;
        break;
    }
  }
  pendingEditSettled_ = false;
}

void TfrmOption::FormClose() {
  for (TOptionPage* p : Pages()) p->Closed();
}

// ---- connection test and shortcuts ----

bool TfrmOption::BeginExchange() {
  if (exchangeBusy_) return false;
  exchangeBusy_ = true;
  if (links_.HoldExchange) links_.HoldExchange(true);
  // The waits pump messages: OK in the middle of a connection test would save
  // the port being tried. OK and Cancel are off until the reader has decided,
  // and the close box is refused meanwhile (FormCloseQuery).
  btnOK->SetEnabled(false);
  btnCancel->SetEnabled(false);
  return true;
}

void TfrmOption::EndExchange() {
  exchangeBusy_ = false;
  if (links_.HoldExchange) links_.HoldExchange(false);
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
}

void TfrmOption::btnConnetTestClick() {
  TConnectionTestBox box;
  box.portBox = communication_->cboPort;
  ConnectionTest(box);
}

bool TfrmOption::ConnectionTest(const TConnectionTestBox& box) {
  if (!box.portBox) return false;
  TExchange exchange(*this);
  if (!exchange.Held()) return false;
  connectionTest_->Run(box);
  return true;
}

void TfrmOption::btnSetDesktpClick() { CreateDesktopShortcut(); }

void TfrmOption::SetStartup(bool create) { SetStartupShortcut(create); }

}  // namespace km27
