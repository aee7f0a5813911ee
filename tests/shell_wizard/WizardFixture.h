#pragma once
// The setup wizard under the fake toolkit, wired to the main window, the
// options dialog and the communication window over a scripted reader as the
// program wires them; reads reach it through the output driver, saving is
// recorded.
#include <string>

#include "shell/ReadConsumers.h"
#include "shell/wizard/ConnectPage.h"
#include "shell/wizard/ReadCheckPage.h"
#include "shell/wizard/StartupPage.h"
#include "shell/wizard/Wizard.h"
#include "tests/shell_option/OptionFixture.h"

namespace km27::test {

class WizardFixture : public OptionFixture {
 protected:
  WizardFixture();
  ~WizardFixture() override;

  // The main window with the options dialog and the wizard, after its
  // start-up sequence (loaded.WizardStatus decides whether that shows the
  // wizard modally).
  void Start();
  // Start() when not done yet, then the wizard shown (modeless, so that a
  // test can drive it step by step).
  void ShowWizard();

  TfrmWizard& Wiz() { return *wizard; }
  void Click(const std::string& name) { FakeToolkit::Click(*wizard, name); }
  // The reader answers "VR" (and "SP" with its power-on setting on).
  void ReaderAnswers();
  // A card read from the reader: body of the "CR" frame after its status,
  // the slots as status character and data, separated by 0x1F. Returns when
  // the output driver has handed it on.
  void Swipe(const std::string& slots);
  // What the buttons and the title show: "title|Previous Next Cancel|caption",
  // each button "+" (on) or "-" (off).
  std::string Buttons() const;

  std::unique_ptr<TfrmWizard> wizard;
  TReadConsumers consumers;  // as the program hands reads on
  int wizardSaves = 0;
};

}  // namespace km27::test
