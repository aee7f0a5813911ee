#include "tests/shell_wizard/WizardFixture.h"

#include "settings/Messages.h"

namespace km27::test {

WizardFixture::WizardFixture() {
  TWizardLinks links = DefaultWizardLinks();
  links.SaveSetupFile = [this] { ++wizardSaves; };
  wizard = std::make_unique<TfrmWizard>(links);
  frmWizard = wizard.get();
  consumers.wizard = wizard.get();
  consumers.wizardReadCheck = [this] { wizard->WizardReadCheck(); };
  comm->readConsumers = &consumers;
  gstrWizardReadTrackOK = "read";
  gstrWizardReadTrackErr = "failed";
  gstrWizardReadTrackErr2 = "partly";
  gstrWizardReadTrack = "tick";
  gstrWizardReadTrackNext = "next";
  gstrWizardCancel = "leave?";
  gstrWizardCancelEnd = "end?";
}

WizardFixture::~WizardFixture() {
  if (main) main->WizardForm = nullptr;
  comm->readConsumers = nullptr;
  frmWizard = nullptr;
  wizard.reset();
}

void WizardFixture::Start() {
  CreateMain();
  main->OptionForm = option.get();
  main->OnApplyOptionLayout = [this] { option->ApplyOptionLayout(); };
  main->WizardForm = wizard.get();
  RunStartup();
}

void WizardFixture::ShowWizard() {
  if (!main) Start();
  wizard->Show();
  ASSERT_TRUE(wizard->Showing());
}

void WizardFixture::ReaderAnswers() {
  reader->answers["VR"] = VersionFrame();
  reader->answers["SP"] = ReaderFrame("SP1FF");
}

void WizardFixture::Swipe(const std::string& slots) {
  reader->Deliver(ReaderFrame("CR0" + slots));
  // The frame ends after its silence, the output timer fires 10 ms later.
  tk.Advance(Serial.ReciveBuffTime + 50);
}

std::string WizardFixture::Buttons() const {
  auto on = [](const ui::Button* b) { return b->Enabled() ? "+" : "-"; };
  return wizard->pnlTop->Caption() + "|" + on(wizard->btnPrevious) + on(wizard->btnNext) + on(wizard->btnCancel) +
         "|" + wizard->btnNext->Caption();
}

}  // namespace km27::test
