#pragma once
// The General page: start mode, display language (applied at once, and not
// part of the close question), the shortcut buttons and "Return To Default".
#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;

class TGeneralPage : public TOptionPage {
 public:
  TGeneralPage(TfrmOption& form, ui::TabSheet& sheet);

  ui::RadioGroup* rdgAutoStartMode;
  ui::Label* lblLanguage;
  ui::ComboBox* cboLanguage;
  ui::GroupBox* grpShortcut;
  ui::Button* btnSetDesktp;
  ui::Button* btnSetStartup;
  ui::Button* btnDeleteStartup;
  ui::Button* btnDefault;

  void Load() override;
  void Store(TOptionSettings& into) override;

  void cboLanguageChange();
  void btnDefaultClick();

 private:
  TfrmOption& form_;
};

}  // namespace km27
