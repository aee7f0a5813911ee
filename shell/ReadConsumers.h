#pragma once
// Where the output driver hands a card read instead of typing it: the setup
// wizard while it is showing, else the read data dialog while that is
// showing. The program's entry fills in the windows as they exist.
#include <functional>

#include "device/Comm.h"
#include "ui/Form.h"

namespace km27 {

class TfrmReadData;

class TReadConsumers : public IReadConsumers {
 public:
  ui::Form* wizard = nullptr;
  std::function<void()> wizardReadCheck;  // the wizard shows and evaluates the read
  TfrmReadData* readData = nullptr;

  bool WizardShowing() override;
  void WizardReadCheck() override;
  bool ReadDataShowing() override;
  void ShowReadData() override;
};

}  // namespace km27
