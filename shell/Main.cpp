#include "shell/Main.h"

#include <exception>

#include "device/Comm.h"
#include "settings/Define.h"
#include "settings/Messages.h"

namespace km27 {

TfrmMain* frmMain = nullptr;

namespace {
constexpr int kBalloonInfo = 1;
constexpr int kBalloonSeconds = 10;
}  // namespace

TfrmMain::TfrmMain(TMainServices services) : ui::Form("frmMain"), services_(std::move(services)) {
  CreateComponents();
  // The tray icon is there from the window's creation on; its start-up
  // notification comes once the handlers are in place.
  coolTrayIcon1_->Loaded();
  ConnectCommWindow();
  tmrStartup->SetEnabled(true);
}

TfrmMain::~TfrmMain() {
  if (frmMain == this) frmMain = nullptr;
  coolTrayIcon1_.reset();
}

void TfrmMain::CreateComponents() {
  SetCaption("ORVANE Larkway");
  WindowClassName = "TfrmMain";
  IsMainForm = true;
  ClientWidth = 436;
  ClientHeight = 381;
  position = Position::ScreenCenter;
  borderStyle = BorderStyle::Single;
  MinimizeBox = true;
  MaximizeBox = false;
  ui::Font font;
  font.name = "Tahoma";
  font.bold = true;
  SetFont(font);

  // Actions first: the buttons and menu entries take their captions from them.
  auto action = [this](const char* name, const char* caption, void (TfrmMain::*handler)()) {
    ui::Action& a = Make<ui::Action>(name);
    a.SetCaption(caption);
    a.OnExecute = [this, handler] { (this->*handler)(); };
    return &a;
  };
  actShowMonitor = action("actShowMonitor", "Show Monitor", &TfrmMain::actShowMonitorExecute);
  actShowMain = action("actShowMain", "Show Main Form", &TfrmMain::actShowMainExecute);
  actHideMain = action("actHideMain", "Hide Main Form", &TfrmMain::actHideMainExecute);
  actShowOption = action("actShowOption", "Show Option", &TfrmMain::actShowOptionExecute);
  actWizard = action("actWizard", "Show Wizard", &TfrmMain::actWizardExecute);
  actStart = action("actStart", "Start Larkway", &TfrmMain::actStartExecute);
  actStop = action("actStop", "Stop Larkway", &TfrmMain::actStopExecute);
  actClose = action("actClose", "Close", &TfrmMain::actCloseExecute);
  actShowMain->SetEnabled(false);
  actStop->SetEnabled(false);

  ui::Font big = font;
  big.height = 21;

  // Start and Stop keep captions of their own (the language file's
  // "Main.SpeedButton") and Hide a visibility of its own (the release mode):
  // each follows only the rest of its action.
  spbStart = &Make<ui::SpeedButton>("spbStart");
  spbStart->SetBounds(8, 8, 206, 65);
  spbStart->SetParentFont(false);
  spbStart->SetFont(big);
  spbStart->SetAction(actStart, ui::Control::alEnabled | ui::Control::alVisible);
  spbStart->SetCaption("Start");

  spbStop = &Make<ui::SpeedButton>("spbStop");
  spbStop->SetBounds(222, 8, 206, 65);
  spbStop->SetParentFont(false);
  spbStop->SetFont(big);
  spbStop->SetAction(actStop, ui::Control::alEnabled | ui::Control::alVisible);
  spbStop->SetCaption("Stop");

  spbOption = &Make<ui::SpeedButton>("spbOption");
  spbOption->SetBounds(8, 80, 206, 30);
  spbOption->SetAction(actShowOption);

  spbClose = &Make<ui::SpeedButton>("spbClose");
  spbClose->SetBounds(222, 80, 206, 30);
  spbClose->SetAction(actClose);

  spbHideMain = &Make<ui::SpeedButton>("spbHideMain");
  spbHideMain->SetBounds(222, 116, 206, 30);
  spbHideMain->SetAction(actHideMain, ui::Control::alCaption | ui::Control::alEnabled);

  lblValueList = &Make<ui::Label>("lblValueList");
  lblValueList->SetBounds(8, 134, 200, 16);
  lblValueList->SetCaption("Setup Values");

  lstSetupValue = &Make<ui::ListBox>("lstSetupValue");
  lstSetupValue->SetBounds(8, 152, 420, 170);
  ui::Font listFont;
  listFont.name = "Tahoma";
  listFont.height = 11;
  lstSetupValue->SetParentFont(false);
  lstSetupValue->SetFont(listFont);

  Bevel1 = &Make<ui::Panel>("Bevel1", nullptr, ui::Kind::Bevel);
  Bevel1->SetBounds(8, 330, 420, 43);
  lblResponse = &Make<ui::Label>("lblResponse", Bevel1);
  lblResponse->SetBounds(6, 6, 408, 31);

  PopupMenu1 = &Make<ui::PopupMenu>("PopupMenu1");
  auto item = [this](const char* name, ui::Action* a) {
    ui::MenuItem& m = Make<ui::MenuItem>(name, PopupMenu1);
    if (a)
      m.SetAction(a);
    else
      m.SetCaption("-");
    return &m;
  };
  mnuShowMonitor = item("mnuShowMonitor", actShowMonitor);
  N4 = item("N4", nullptr);
  mnuShowMain = item("mnuShowMain", actShowMain);
  mnuHideMain = item("mnuHideMain", actHideMain);
  N3 = item("N3", nullptr);
  mnuShowOption = item("mnuShowOption", actShowOption);
  ShowWizard1 = item("ShowWizard1", actWizard);
  N2 = item("N2", nullptr);
  mnuStart = item("mnuStart", actStart);
  mnuStop = item("mnuStop", actStop);
  N1 = item("N1", nullptr);
  mnuClose = item("mnuClose", actClose);
  // The monitor entry shows only for Shift+Ctrl+right click (CoolTrayIcon1MouseDown),
  // or in "ProbeMode" where the tray cannot tell that click (ApplyReleaseMode).
  mnuShowMonitor->SetVisible(false);
  N4->SetVisible(false);

  tmrStartup = &Make<ui::Timer>("tmrStartup", 1000u, false);
  tmrStartup->OnTimer = [this] { tmrStartupTimer(); };
  tmrCheckSPST = &Make<ui::Timer>("tmrCheckSPST", 1000u, false);
  tmrCheckSPST->OnTimer = [this] { tmrCheckSPSTTimer(); };
  tmrCheckConnect = &Make<ui::Timer>("tmrCheckConnect", 1500u, false);
  tmrCheckConnect->OnTimer = [this] { tmrCheckConnectTimer(); };

  coolTrayIcon1_ = std::make_unique<TCoolTrayIcon>(this, "CoolTrayIcon1");
  TCoolTrayIcon& tray = *coolTrayIcon1_;
  tray.SetIconList({kStoppedIcon, kRunningIcon});
  tray.SetIconIndex(0);
  tray.SetCycleInterval(0);
  tray.PopupMenu = PopupMenu1;
  tray.LeftPopup = true;
  tray.OnMouseDown = [this](TCoolTrayIcon& s, MouseButton b, ShiftState sh, int x, int y) {
    CoolTrayIcon1MouseDown(s, b, sh, x, y);
  };
  tray.OnStartup = [this](TCoolTrayIcon& s, bool& show) { CoolTrayIcon1Startup(s, show); };
  tray.SetIconVisible(true);

  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnMinimize = [this] { FormMinimize(); };

}

void TfrmMain::ShowBalloon(const std::string& title, const std::string& text) {
  coolTrayIcon1_->ShowBalloonHint(title, text, kBalloonInfo, kBalloonSeconds);
}

std::string TfrmMain::VersionLine(const std::string& productVersion) {
  return "Serial to Keyboard convert Software Ver " + productVersion + " (QRL5146)";
}

// ---- run control ----

void TfrmMain::SetRunState(bool running) {
  // The one place that says whether the converter runs: the flag the output
  // driver reads, the tray icon, Start and Stop, and the two checks.
  gRunning = running;
  ++runGeneration_;
  coolTrayIcon1_->SetIconIndex(running ? 1 : 0);
  actStart->SetEnabled(!running);
  actStop->SetEnabled(running);
  tmrCheckSPST->SetEnabled(running);
  // A switched-off connection check stays off.
  tmrCheckConnect->SetEnabled(running && ConnectionCheckFlags() != "000");
}

bool TfrmMain::PortOpen() const { return frmComm && frmComm->CommX1().IsOpen(); }

bool TfrmMain::RunControl(bool start) {
  bool superseded = false;
  return StartOrStop(start, superseded);
}

bool TfrmMain::StartOrStop(bool start, bool& superseded) {
  // Message boxes below keep the tray menu alive: a Start or Stop chosen
  // while one is up is newer than this one, and its state stands.
  const uint64_t generation = runGeneration_;
  superseded = false;
  if (start) {
    bool opened = false;
    try {
      opened = frmComm && frmComm->OpenPort(true);
    } catch (const std::exception& e) {
      ui::App().MessageBox(e.what(), "", ui::MsgIcon::None, ui::MsgButtons::OK);
      opened = false;
    }
    if (runGeneration_ != generation) {
      superseded = true;
      return gRunning;
    }
    if (!opened) {
      spbStart->SetDown(false);
      SetRunState(false);
      return false;
    }
    SetRunState(true);
    ShowBalloon(gstrStart, " ");
    return true;
  }
  try {
    if (frmComm) frmComm->ClosePort();
  } catch (const std::exception& e) {
    ui::App().MessageBox(e.what(), "", ui::MsgIcon::None, ui::MsgButtons::OK);
    if (runGeneration_ != generation) {
      superseded = true;
      return !gRunning;
    }
    // Still running when the port is still open; the checks go on.
    SetRunState(PortOpen());
    return !gRunning;
  }
  SetRunState(false);
  ShowBalloon(gstrStop, " ");
  return true;
}

void TfrmMain::actStartExecute() {
  bool superseded = false;
  const bool ok = StartOrStop(true, superseded);
  if (superseded) return;
  if (ok) {
    // Failures counted in an earlier run say nothing about this one: without
    // a clean slate a reader could be given up on its first missed answer.
    PortCheckFailures = LineCheckFailures = FirmwareCheckFailures = 0;
    FirmwareCheckTick = StartupCheckFailures = 0;
  }
  if (gRunning) {
    actHideMainExecute();
  } else {
    actShowMainExecute();
    shownWhileRunning_ = false;
  }
}

void TfrmMain::actStopExecute() {
  bool superseded = false;
  StartOrStop(false, superseded);
  if (!superseded) shownWhileRunning_ = false;
}

void TfrmMain::StopWithReaderError(const std::function<void()>& resetCounters) {
  actStopExecute();
  const uint64_t stopped = runGeneration_;
  ui::App().MessageBox(gstrCommCheck_Err, "", ui::MsgIcon::Confirmation, ui::MsgButtons::OK);
  // Started again from the tray while the box was up: that run stands, with
  // its window hidden and its counters.
  if (runGeneration_ != stopped) return;
  actShowMainExecute();
  resetCounters();
}

void TfrmMain::PortFailed() {
  // The port stopped taking output: the reader is as good as lost.
  if (gRunning) ConnectionLost();
}

void TfrmMain::ConnectCommWindow() {
  if (!frmComm) return;
  frmComm->OnStatusText = [this](const std::string& text) { lblResponse->SetCaption(text); };
  frmComm->OnPortFailed = [this] { PortFailed(); };
  frmComm->OnKeysRefused = [this] { ShowBalloon(kApplicationTitle, gstrElevatedTarget); };
}

// ---- showing and hiding ----

void TfrmMain::actShowMainExecute() {
  coolTrayIcon1_->RestoreMainForm();
  actShowMain->SetEnabled(false);
  actHideMain->SetEnabled(true);
  shownWhileRunning_ = gRunning;
}

void TfrmMain::actHideMainExecute() {
  coolTrayIcon1_->HideMainForm();
  actShowMain->SetEnabled(true);
  actHideMain->SetEnabled(false);
  if (gRunning && !shownWhileRunning_)
    ShowBalloon(gstrStart, gstrTackBar1 + "\r" + gstrTackBar2);
  else
    ShowBalloon(gstrTackBar1, gstrTackBar2);
}

void TfrmMain::FormMinimize() { actHideMainExecute(); }

void TfrmMain::actShowOptionExecute() {
  if (OptionForm) OptionForm->Show();
}

void TfrmMain::actWizardExecute() {
  if (!WizardForm) return;
  // The tray menu stays alive while the wizard is up: a second "Show
  // Wizard" brings it forward instead of starting it again.
  if (WizardForm->Showing()) {
    WizardForm->BringToFront();
    return;
  }
  // The options dialog holds the settings as they were when it was shown:
  // its OK after the wizard would undo the wizard's setup. It closes first
  // (asking "Save data?" as usual); while it stays (Cancel, or a connection
  // test still waiting), the wizard waits and the dialog comes forward.
  if (OptionForm && OptionForm->Showing()) {
    OptionForm->Close();
    if (OptionForm->Showing()) {
      OptionForm->BringToFront();
      return;
    }
  }
  WizardForm->ShowModal();
}

void TfrmMain::actShowMonitorExecute() {
  if (frmComm) frmComm->Show();
}

// ---- closing ----

void TfrmMain::actCloseExecute() {
  gCloseRequested = true;
  Close();
}

void TfrmMain::FormCloseQuery(bool& canClose) {
  canClose = true;
  if (Showing()) gCloseRequested = true;
  if (gCloseRequested && General.WizardStatus == "111") {
    ui::MsgResult answer =
        ui::App().MessageBox(gstrAskEnd, "", ui::MsgIcon::Information, ui::MsgButtons::OKCancel);
    if (answer == ui::MsgResult::OK)
      ui::App().ProcessMessages();
    else
      canClose = false;
  }
  gCloseRequested = false;
}

// ---- tray icon ----

void TfrmMain::CoolTrayIcon1MouseDown(TCoolTrayIcon&, MouseButton button, ShiftState shift, int, int) {
  bool gesture = button == MouseButton::Right && shift == (ss::Shift | ss::Ctrl | ss::Right);
  ShowMonitorEntry(gesture || MonitorEntryInMenu());
}

void TfrmMain::ShowMonitorEntry(bool show) {
  mnuShowMonitor->SetVisible(show);
  N4->SetVisible(show);
}

bool TfrmMain::MonitorEntryInMenu() const {
  return !coolTrayIcon1_->ClicksWithKeys() && General.Release == "ProbeMode";
}

void TfrmMain::CoolTrayIcon1Startup(TCoolTrayIcon&, bool&) {
  // Restarts a running conversion; at creation nothing runs yet.
  if (gRunning) {
    actStop->Execute();
    actStart->Execute();
  }
}

// ---- release mode ----

void TfrmMain::ApplyReleaseMode() {
  // Where the tray's menu opens without the program hearing the click, the
  // release mode alone decides the monitor entry (on Windows the gesture does).
  if (!coolTrayIcon1_->ClicksWithKeys()) ShowMonitorEntry(MonitorEntryInMenu());
  // The service controls stay as designed in "ProbeMode".
  if (General.Release != "ProbeMode") {
    spbHideMain->SetVisible(false);
    if (OptionForm) {
      for (const char* name : {"lblLanguage", "cboLanguage", "lblResponse", "spbFirmVersion", "btnMonitor"})
        if (auto* c = OptionForm->Find<ui::Control>(name)) c->SetVisible(false);
      if (auto* a = OptionForm->Find<ui::Action>("actTargetWindow")) a->SetVisible(false);
      if (auto* t = OptionForm->Find<ui::TabSheet>("tabDatatable")) t->SetTabVisible(false);
    }
  }
  if (OnApplyOptionLayout) OnApplyOptionLayout();
}

void TfrmMain::SetOptionControlEnabled(const std::string& name, bool enabled) {
  if (!OptionForm) return;
  if (auto* c = OptionForm->Find<ui::Control>(name)) c->SetEnabled(enabled);
}

void TfrmMain::SetOptionControlCaption(const std::string& name, const std::string& caption) {
  if (!OptionForm) return;
  if (auto* c = OptionForm->Find<ui::Control>(name)) c->SetCaption(caption);
}

}  // namespace km27
