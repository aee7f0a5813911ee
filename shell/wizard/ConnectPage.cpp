#include "shell/wizard/ConnectPage.h"

#include "device/Ports.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "shell/option/Option.h"
#include "shell/wizard/Wizard.h"

namespace km27 {

TWizardConnectPage::TWizardConnectPage(TfrmWizard& wizard, ui::TabSheet& sheet) : wizard_(wizard) {
  lblConnectTest = &wizard.Make<ui::Label>("lblConnectTest", &sheet);
  lblConnectTest->SetBounds(16, 12, 472, 100);
  lblConnectTest->SetCaption(
      "Connect the card reader to a COM port of this computer and switch it on.\r\n"
      "Then click \"Connect Test\": every COM port is searched for the reader.");

  btnConnetTest = &wizard.Make<ui::Button>("btnConnetTest", &sheet);
  btnConnetTest->SetBounds(16, 124, 180, 28);
  btnConnetTest->SetCaption("Connect Test");
  btnConnetTest->OnClick = [this] { btnConnetTestClick(); };

  chkManualPortSearch = &wizard.Make<ui::CheckBox>("chkManualPortSearch", &sheet);
  chkManualPortSearch->SetBounds(16, 176, 472, 20);
  chkManualPortSearch->SetCaption("ManualPortSearch");
  chkManualPortSearch->OnClick = [this] { chkManualPortSearchClick(); };

  lblPort = &wizard.Make<ui::Label>("lblPort", &sheet);
  lblPort->SetBounds(36, 210, 90, 16);
  lblPort->SetCaption("Port No.");
  cboPort = &wizard.Make<ui::ComboBox>("cboPort", &sheet);
  cboPort->SetBounds(130, 206, 140, 21);
  cboPort->Editable = true;
  chkManualPortSearchClick();
}

void TWizardConnectPage::Reset() {
  lblConnectTest->SetCaption(WizardConnectTestText);
  ListSerialPorts(*cboPort);
  chkManualPortSearch->SetChecked(false);
  chkManualPortSearchClick();
}

void TWizardConnectPage::chkManualPortSearchClick() {
  const bool manual = chkManualPortSearch->Checked();
  lblPort->SetEnabled(manual);
  cboPort->SetEnabled(manual);
}

void TWizardConnectPage::SetBusy(bool busy) {
  btnConnetTest->SetEnabled(!busy);
  chkManualPortSearch->SetEnabled(!busy);
  if (busy) {
    lblPort->SetEnabled(false);
    cboPort->SetEnabled(false);
  } else {
    chkManualPortSearchClick();
  }
}

void TWizardConnectPage::btnConnetTestClick() {
  if (wizard_.Busy()) return;
  TConnectionTestBox box;
  box.portBox = cboPort;
  box.manual = chkManualPortSearch->Checked();
  box.resultLabel = lblConnectTest;
  box.wizardShowing = true;
  bool ran = false;
  {
    // The test pumps messages while it waits: nothing may leave the page,
    // start a second test or close the wizard meanwhile.
    struct Busy {
      TfrmWizard& w;
      explicit Busy(TfrmWizard& wizard) : w(wizard) { w.SetBusy(true); }
      ~Busy() { w.SetBusy(false); }
    } busy(wizard_);
    auto& test = wizard_.Links().ConnectionTest;
    ran = test && test(box);
  }
  if (!ran) {
    // Another exchange with the reader is under way (the options dialog's):
    // nothing was tried.
    ui::App().Beep();
    return;
  }
  wizard_.SetProgress(1, gConnectChecked);
}

}  // namespace km27
