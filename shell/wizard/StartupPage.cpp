#include "shell/wizard/StartupPage.h"

#include "shell/wizard/Wizard.h"

namespace km27 {

TWizardStartupPage::TWizardStartupPage(TfrmWizard& wizard, ui::TabSheet& sheet) : wizard_(wizard) {
  rdgAutoStartMode = &wizard.Make<ui::RadioGroup>("rdgAutoStartMode", &sheet);
  rdgAutoStartMode->SetBounds(16, 12, 472, 76);
  rdgAutoStartMode->SetCaption("Auto Start");
  rdgAutoStartMode->SetItems({"Manual Start Mode", "Auto Start Mode"});
  rdgAutoStartMode->OnClick = [this] { rdgAutoStartModeClick(); };

  lblStartupNote = &wizard.Make<ui::Label>("lblStartupNote", &sheet);
  lblStartupNote->SetBounds(16, 98, 472, 72);
  lblStartupNote->SetCaption(
      "Auto Start Mode: KM-27 starts converting as soon as it is started.\r\n"
      "Manual Start Mode: it waits until you click \"Start\".\r\n"
      "The buttons below start KM-27 with Windows, or put its icon on the desktop.");

  btnSetStartup = &wizard.Make<ui::Button>("btnSetStartup", &sheet);
  btnSetStartup->SetBounds(16, 172, 280, 28);
  btnSetStartup->SetCaption("Set Startup Application");
  btnSetStartup->OnClick = [this] { btnSetStartupClick(); };

  btnSetDesktp = &wizard.Make<ui::Button>("btnSetDesktp", &sheet);
  btnSetDesktp->SetBounds(16, 208, 280, 28);
  btnSetDesktp->SetCaption("Set Desktp Shortcut Icon");
  btnSetDesktp->OnClick = [this] { btnSetDesktpClick(); };
}

void TWizardStartupPage::Reset() { rdgAutoStartMode->SetItemIndex(-1); }

void TWizardStartupPage::rdgAutoStartModeClick() {
  if (rdgAutoStartMode->ItemIndex() >= 0) wizard_.SetProgress(3, true);
}

// The shortcuts are the options dialog's; they do not change the progress.
void TWizardStartupPage::btnSetStartupClick() {
  if (wizard_.Links().SetStartup) wizard_.Links().SetStartup(true);
}

void TWizardStartupPage::btnSetDesktpClick() {
  if (wizard_.Links().CreateDesktopShortcut) wizard_.Links().CreateDesktopShortcut();
}

}  // namespace km27
