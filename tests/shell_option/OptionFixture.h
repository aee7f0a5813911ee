#pragma once
// The options dialog under the fake toolkit, wired to the main window and
// the communication window over a scripted reader (MainFixture) as the
// program wires them; saving and language loading are recorded.
#include <string>
#include <vector>

#include "shell/option/CommunicationPage.h"
#include "shell/option/GeneralPage.h"
#include "shell/option/InformationPage.h"
#include "shell/option/KeyDataPage.h"
#include "shell/option/Option.h"
#include "tests/shell_main/MainFixture.h"
#include "tests/support/FakeDesktopShell.h"

namespace km27::test {

class OptionFixture : public MainFixture {
 protected:
  OptionFixture();
  ~OptionFixture() override;

  // The main window after its start-up sequence, and the dialog shown.
  void ShowOption();

  TfrmOption& Opt() { return *option; }
  TCommunicationPage& Comm() { return option->CommunicationPage(); }

  std::unique_ptr<TfrmOption> option;
  FakeDesktopShell shell;
  int saves = 0;
  std::vector<int> languagesLoaded;
};

}  // namespace km27::test
