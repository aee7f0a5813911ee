// The operations of the other windows that the setup wizard calls: the
// options dialog's connection test and shortcuts, the main window's setup
// values and release mode, the settings file, and the port.
#include <exception>

#include "device/Comm.h"
#include "settings/Define.h"
#include "settings/SetupFile.h"
#include "shell/Main.h"
#include "shell/option/Option.h"
#include "shell/wizard/Wizard.h"

namespace km27 {

TWizardLinks DefaultWizardLinks() {
  TWizardLinks l;
  l.ConnectionTest = [](const TConnectionTestBox& box) { return frmOption && frmOption->ConnectionTest(box); };
  l.CreateDesktopShortcut = [] {
    if (frmOption) frmOption->btnSetDesktpClick();
  };
  l.SetStartup = [](bool create) {
    if (frmOption) frmOption->SetStartup(create);
  };
  l.ShowSetupValues = [] {
    if (frmMain) frmMain->ShowSetupValues();
  };
  l.ApplyReleaseMode = [] {
    if (frmMain) frmMain->ApplyReleaseMode();
  };
  l.SaveSetupFile = [] { SaveSetupFile(); };
  l.ReleasePort = [] {
    // The search left its port open for the test read; a converter that is
    // stopped holds no port.
    if (gRunning || !frmComm) return;
    try {
      frmComm->ClosePort();
    } catch (const std::exception&) {
      // A port that fails to close is reopened (and reported) by the next Start.
    }
  };
  return l;
}

}  // namespace km27
