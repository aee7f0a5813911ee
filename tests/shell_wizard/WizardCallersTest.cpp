// Who shows the setup wizard: the first start, the main window's "Show
// Wizard" (button and tray entry), the options dialog's "Return To Default";
// the reader checks while it shows; its texts in the shipped language files.
#include <fstream>

#include "settings/IniFile.h"
#include "settings/Language.h"
#include "tests/shell_wizard/WizardFixture.h"

namespace km27::test {
namespace {

using WizardCallers = WizardFixture;

// Clicks through the wizard as a first-time user does, inside its modal loop.
void RunThrough(FakeToolkit& tk, ScriptedReader& reader, ui::Form& wizard, int startMode) {
  FakeToolkit::Click(wizard, "btnConnetTest");
  FakeToolkit::Click(wizard, "btnNext");
  reader.Deliver(ReaderFrame("CR0" "04900123456789\x1F" "01234567890"));
  tk.Advance(200);
  FakeToolkit::Click(wizard, "btnNext");
  FakeToolkit::Select(wizard, "rdgAutoStartMode", startMode);
  FakeToolkit::Click(wizard, "btnNext");
}

TEST_F(WizardCallers, FirstStartLeadsToARunningConverter) {
  loaded.WizardStatus = "000";
  loaded.AutoStart = false;
  ReaderAnswers();
  tk.OnModal("frmWizard", [this](ui::Form& w) { RunThrough(tk, *reader, w, 1); });
  Start();
  EXPECT_EQ(tk.modalForms, std::vector<std::string>{"frmWizard"});
  EXPECT_EQ(wizardSaves, 1);
  EXPECT_EQ(General.WizardStatus, "111");
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_FALSE(main->Showing());
  EXPECT_FALSE(tk.terminated);
  EXPECT_EQ(CardData.TrackUse, "1100");
}

TEST_F(WizardCallers, CancelledFirstStartEndsWithNothingSaved) {
  loaded.WizardStatus = "000";
  loaded.AutoStart = true;
  ReaderAnswers();
  tk.OnModal("frmWizard", [this](ui::Form& w) {
    FakeToolkit::Click(w, "btnConnetTest");
    tk.QueueAnswer(ui::MsgResult::OK);
    FakeToolkit::Click(w, "btnCancel");
  });
  Start();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"end?"});
  EXPECT_EQ(wizardSaves, 0);
  EXPECT_EQ(saves, 0);
  EXPECT_TRUE(tk.terminated);
  EXPECT_FALSE(gRunning);
  EXPECT_EQ(tk.modalTimeouts, 0);
}

TEST_F(WizardCallers, ShowWizardFromTheMainWindowAndTheTray) {
  Start();
  ASSERT_TRUE(main->Showing());
  int shown = 0;
  tk.OnModal("frmWizard", [&](ui::Form& w) {
    ++shown;
    EXPECT_EQ(static_cast<TfrmWizard&>(w).Progress(), "000");
    FakeToolkit::Click(*main, "ShowWizard1");  // again from the tray while it shows
    ASSERT_FALSE(tk.events.empty());
    EXPECT_EQ(tk.events.back().type, PeerEvent::Type::BringToFront);
    EXPECT_EQ(tk.events.back().form, "frmWizard");
    tk.QueueAnswer(ui::MsgResult::OK);
    FakeToolkit::Click(w, "btnCancel");
  });
  FakeToolkit::Click(*main, "actWizard");
  FakeToolkit::Click(*main, "ShowWizard1");
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(tk.modalForms.size(), 2u);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"leave?", "leave?"}));
  EXPECT_FALSE(tk.terminated);
}

// The options dialog's OK after the wizard would write its older settings
// over the wizard's: whoever shows the wizard closes the dialog first.
TEST_F(WizardCallers, ReturnToDefaultAndTheTrayCloseTheOptionsBeforeTheWizard) {
  Start();
  bool optionsOpen = true;
  tk.OnModal("frmWizard", [&](ui::Form& w) {
    optionsOpen = option->Showing();
    tk.QueueAnswer(ui::MsgResult::OK);
    FakeToolkit::Click(w, "btnCancel");
  });
  for (ui::Form* form : std::vector<ui::Form*>{option.get(), main.get()}) {
    SCOPED_TRACE(form->Name());
    tk.modalForms.clear();
    FakeToolkit::Click(*main, "actShowOption");
    ASSERT_TRUE(option->Showing());
    FakeToolkit::Click(*form, form == option.get() ? "btnDefault" : "ShowWizard1");
    EXPECT_EQ(tk.modalForms, std::vector<std::string>{"frmWizard"});
    EXPECT_FALSE(optionsOpen);
  }
}

TEST_F(WizardCallers, ReaderChecksWaitWhileTheWizardHasThePort) {
  loaded.ConnectionCheck = "001";
  ReaderAnswers();
  StartConverter();
  main->WizardForm = wizard.get();
  reader->ClearRecord();
  reader->commands.clear();
  wizard->Show();
  tk.Advance(10000);
  EXPECT_EQ(reader->Count("VR"), 0);
  EXPECT_TRUE(gRunning);
  tk.QueueAnswer(ui::MsgResult::OK);
  wizard->Close();
  EXPECT_TRUE(reader->IsOpen());  // the converter runs on it
  tk.Advance(10000);
  EXPECT_GT(reader->Count("VR"), 0);
  EXPECT_TRUE(gRunning);
}

// Every line of the wizard's sections names one of its components, so that
// no text of a shipped language file is lost to a misspelt name.
TEST(WizardTexts, ShippedLanguageFilesNameTheWizardsComponents) {
  FakeToolkit tk;
  TfrmWizard wizard(TWizardLinks{});
  for (const char* file : {"English.rlf", "Japanese.rlf"}) {
    SCOPED_TRACE(file);
    std::ifstream in(std::string(KM27_DATA_DIR) + "/" + file, std::ios::binary);
    const IniFile ini(std::string(std::istreambuf_iterator<char>(in), {}));
    for (const char* section : {"Wizard.Label", "Wizard.Button", "Wizard.TabSheet", "Wizard.CheckBox",
                                "Wizard.RadioGroup"}) {
      const auto lines = ini.SectionLines(section);
      EXPECT_FALSE(lines.empty()) << section;
      for (const auto& line : lines)
        EXPECT_NE(wizard.FindComponent(SplitLanguageLine(line, true)), nullptr) << section << ": " << line;
    }
    EXPECT_EQ(ini.SectionLines("Wizard.rdgAutoStartMode").size(), 2u);
    EXPECT_EQ(ini.SectionLines("Wizard.lvwReadData").size(), 3u);
    for (const char* k : {"gstrWizardTitle1", "gstrWizardTitle2", "gstrWizardTitle3"})
      EXPECT_NE(ini.ReadString("Messages", k, ""), "") << k;
  }
}

}  // namespace
}  // namespace km27::test
