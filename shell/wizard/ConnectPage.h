#pragma once
// The wizard's Communication page: "Connect Test" runs the options dialog's
// connection test with this page's port box and result label, over every
// listed port or, with "ManualPortSearch", only the port chosen or typed.
// The port that answered stays configured and open, so that the next page
// can read a card.
#include "ui/Form.h"

namespace km27 {

class TfrmWizard;

class TWizardConnectPage {
 public:
  TWizardConnectPage(TfrmWizard& wizard, ui::TabSheet& sheet);

  ui::Label* lblConnectTest;  // instructions, then the test's progress and result
  ui::Button* btnConnetTest;
  ui::CheckBox* chkManualPortSearch;
  ui::Label* lblPort;
  ui::ComboBox* cboPort;

  // Every show: the instructions back, the ports listed, the first selected,
  // the automatic search.
  void Reset();
  // While a test runs the page's own controls wait too.
  void SetBusy(bool busy);

  void btnConnetTestClick();
  void chkManualPortSearchClick();

 private:
  TfrmWizard& wizard_;
};

}  // namespace km27
