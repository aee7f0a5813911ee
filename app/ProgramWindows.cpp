#include "app/ProgramWindows.h"

#include "device/Comm.h"
#include "keyboard/KeyCode.h"
#include "keyboard/ReadData.h"
#include "settings/Language.h"
#include "shell/Main.h"
#include "shell/option/Option.h"
#include "shell/wizard/Wizard.h"

namespace km27 {

ProgramWindows::ProgramWindows(std::unique_ptr<TCustomCommX> port) {
  main_ = std::make_unique<TfrmMain>();
  frmMain = main_.get();
  comm_ = std::make_unique<TfrmComm>(std::move(port));
  frmComm = comm_.get();
  option_ = std::make_unique<TfrmOption>();
  frmOption = option_.get();
  frmMain->OptionForm = frmOption;
  frmMain->OnApplyOptionLayout = [] {
    if (frmOption) frmOption->ApplyOptionLayout();
  };
  keyCode_ = std::make_unique<TfrmKeyCode>();
  frmKeyCode = keyCode_.get();
  readData_ = std::make_unique<TfrmReadData>();
  frmReadData = readData_.get();
  // The read data dialog runs the converter through the main window's actions.
  frmReadData->Run.Start = [] { frmMain->actStart->Execute(); };
  frmReadData->Run.Stop = [] { frmMain->actStop->Execute(); };
  frmReadData->Run.ShowMain = [] { frmMain->actShowMain->Execute(); };
  wizard_ = std::make_unique<TfrmWizard>();
  frmWizard = wizard_.get();
  frmMain->WizardForm = frmWizard;

  // Reads go to the setup wizard while it shows, else to the read data
  // dialog while that shows.
  readConsumers_.wizard = frmWizard;
  readConsumers_.wizardReadCheck = [] {
    if (frmWizard) frmWizard->WizardReadCheck();
  };
  readConsumers_.readData = frmReadData;
  frmComm->readConsumers = &readConsumers_;

  LanguageForms forms;
  forms.main = frmMain;
  forms.comm = frmComm;
  forms.option = frmOption;
  forms.keyCode = frmKeyCode;
  forms.readData = frmReadData;
  forms.wizard = frmWizard;
  SetLanguageForms(forms);
}

ProgramWindows::~ProgramWindows() {
  // Windows go in reverse order; the port closes with the communication window.
  SetLanguageForms(LanguageForms{});
  frmComm->readConsumers = nullptr;
  readConsumers_.wizard = nullptr;
  readConsumers_.wizardReadCheck = nullptr;
  frmMain->WizardForm = nullptr;
  frmWizard = nullptr;
  wizard_.reset();
  readConsumers_.readData = nullptr;
  frmReadData = nullptr;
  readData_.reset();
  frmKeyCode = nullptr;
  keyCode_.reset();
  frmMain->OptionForm = nullptr;
  frmMain->OnApplyOptionLayout = nullptr;
  frmOption = nullptr;
  option_.reset();
  frmComm = nullptr;
  comm_.reset();
  frmMain = nullptr;
  main_.reset();
}

}  // namespace km27
