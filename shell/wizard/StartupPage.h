#pragma once
// The wizard's Startup Option page: whether the converter starts with the
// program, and the shortcuts that start the program with Windows and from
// the desktop.
#include "ui/Form.h"

namespace km27 {

class TfrmWizard;

class TWizardStartupPage {
 public:
  TWizardStartupPage(TfrmWizard& wizard, ui::TabSheet& sheet);

  ui::RadioGroup* rdgAutoStartMode;  // "Manual Start Mode", "Auto Start Mode"
  ui::Label* lblStartupNote;
  ui::Button* btnSetStartup;
  ui::Button* btnSetDesktp;

  // Every show: no start mode chosen.
  void Reset();

  void rdgAutoStartModeClick();
  void btnSetStartupClick();
  void btnSetDesktpClick();

 private:
  TfrmWizard& wizard_;
};

}  // namespace km27
