// The start-up sequence: one second after the message loop has started the
// settings are read, the language applied, the wizard run when setup is not
// complete, and then the converter started, the main window shown or the
// program ended.
#include "device/Comm.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/SetupFile.h"
#include "settings/Version.h"
#include "shell/Main.h"

namespace km27 {

TMainServices DefaultMainServices() {
  TMainServices s;
  s.EnsureSetupFile = [] { EnsureSetupFile(); };
  s.LoadSetupFile = [] { LoadSetupFile(); };
  s.BuildLanguageList = [] { BuildLanguageList(); };
  s.ProductVersion = [] { return VersionInfo.ProductVersion; };
  return s;
}

void TfrmMain::tmrStartupTimer() {
  // Runs once per process.
  tmrStartup->SetEnabled(false);

  if (services_.EnsureSetupFile) services_.EnsureSetupFile();
  if (services_.LoadSetupFile) services_.LoadSetupFile();
  if (services_.BuildLanguageList) services_.BuildLanguageList();
  // Every window exists now: decoded frames report to the status label.
  ConnectCommWindow();
  ApplyReleaseMode();
  ShowSetupValues();
  if (StartupNotice) {
    const std::string notice = StartupNotice();
    if (!notice.empty()) {
      if (frmComm) frmComm->AddMonitorLine("< " + notice + " >");
      ShowBalloon(kApplicationTitle, notice);
    }
  }

  gCloseRequested = false;
  actShowMain->SetEnabled(false);
  actHideMain->SetEnabled(true);

  // Without a wizard window the setup cannot be completed: that counts as a
  // cancelled wizard.
  if (General.WizardStatus != "111" && WizardForm) WizardForm->ShowModal();

  lblResponse->SetCaption(VersionLine(services_.ProductVersion ? services_.ProductVersion() : std::string()));
  coolTrayIcon1_->SetHint(kApplicationTitle);

  if (General.AutoStart && General.WizardStatus == "111") {
    actStartExecute();
  } else if (General.WizardStatus != "111") {
    // Setup was not completed: end quietly, without the exit question.
    gCloseRequested = true;
    Close();
  } else {
    // Called directly: the action itself was disabled above, while the
    // window has not been shown yet.
    actShowMainExecute();
  }
}

}  // namespace km27
