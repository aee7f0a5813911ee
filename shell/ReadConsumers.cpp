#include "shell/ReadConsumers.h"

#include "keyboard/ReadData.h"

namespace km27 {

bool TReadConsumers::WizardShowing() { return wizard && wizard->Showing(); }

void TReadConsumers::WizardReadCheck() {
  if (wizardReadCheck) wizardReadCheck();
}

bool TReadConsumers::ReadDataShowing() { return readData && readData->Showing(); }

void TReadConsumers::ShowReadData() {
  if (readData) readData->ShowReadData();
}

}  // namespace km27
