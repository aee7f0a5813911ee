// The options dialog's frame and pages: the show sequence with the release
// mode, page changes from the tool bar, OK, and the close question.
#include "settings/Language.h"
#include "settings/Messages.h"
#include "settings/Version.h"
#include "tests/shell_option/OptionFixture.h"

namespace km27::test {
namespace {

using ui::MsgResult;

class OptionTest : public OptionFixture {};

TEST_F(OptionTest, ShowLoadsEveryPageFromTheSettings) {
  loaded.AutoStart = true;
  loaded.Series = "KM-27 Series";
  deviceMap.ports = {"COM4", "COM2", "COM9"};
  Serial.Port = 2;
  VersionInfo.FileDescription = "KM-27 Serial to Key Software";
  VersionInfo.ProductVersion = "1.1.0.0";
  VersionInfo.FileDate = "2017/03/07";
  gOptionPage = 4;
  ShowOption();
  for (ui::TabSheet* t : Opt().PageControl1->Pages()) EXPECT_FALSE(t->TabVisible()) << t->Name();
  EXPECT_EQ(Opt().PageControl1->ActivePage(), Opt().tabInformation);
  EXPECT_TRUE(Opt().tbnInformation->Down());
  EXPECT_EQ(Opt().KeyDataPage().PageControl3->ActivePage(), Opt().KeyDataPage().tabKeyDataFormat);
  EXPECT_EQ(Opt().InformationPage().PageControl2->ActivePage(), Opt().InformationPage().tabAbout);
  EXPECT_EQ(Opt().GeneralPage().rdgAutoStartMode->ItemIndex(), 1);
  EXPECT_EQ(Comm().cboPort->Items(), (std::vector<std::string>{"COM4", "COM2", "COM9"}));
  EXPECT_EQ(Comm().cboPort->ItemIndex(), 1);

  TInformationPage& about = Opt().InformationPage();
  EXPECT_EQ(about.lblProgramTitle->Caption(), "KM-27 Serial to Key Software");
  EXPECT_EQ(about.lblForSeries->Caption(), "KM-27 Series");
  EXPECT_EQ(about.lblVersion->Caption(), "Version  1.1.0.0");
  EXPECT_EQ(about.lblFileDate->Caption(), "Date  2017/03/07");
  EXPECT_EQ(about.lblApplIDNo->Caption(), "Program No. QRL5146");
  EXPECT_EQ(about.lblURL->GetCursor(), ui::Cursor::HandPoint);
  ASSERT_EQ(about.lvwKeyTable->Rows().size(), 128u);
  EXPECT_EQ(about.lvwKeyTable->Rows()[0x41].caption, "A    (41h)");
  EXPECT_EQ(about.lvwKeyTable->Columns()[1].title, "Shift State");
}

TEST_F(OptionTest, ReleaseModeHidesTheServiceControls) {
  struct Case {
    const char* release;
    bool shown;
  };
  // Nothing shows a hidden control again: "ProbeMode" comes first.
  for (const Case& c : {Case{"ProbeMode", true}, Case{"Standard", false}, Case{"probemode", false}}) {
    SCOPED_TRACE(c.release);
    General.Release = c.release;
    loaded.Release = c.release;
    ShowOption();
    for (const char* name : {"lblLanguage", "cboLanguage", "lblResponse", "spbFirmVersion", "btnMonitor"})
      EXPECT_EQ(Opt().Find<ui::Control>(name)->Visible(), c.shown) << name;
    EXPECT_EQ(Opt().actTargetWindow->Visible(), c.shown);
    EXPECT_EQ(Opt().tbnTargetWindow->Visible(), c.shown);
    EXPECT_EQ(Opt().KeyDataPage().tabDatatable->TabVisible(), c.shown);
    EXPECT_EQ(main->spbHideMain->Visible(), c.shown);
    FakeToolkit::Click(Opt(), "btnCancel");
    EXPECT_FALSE(Opt().Showing());
    // Another start-up sequence for the next release mode.
    main.reset();
    frmMain = nullptr;
  }
}

TEST_F(OptionTest, ToolBarActionsChangePagesAndTheLastPageComesBack) {
  ShowOption();
  EXPECT_EQ(Opt().PageControl1->ActivePage(), Opt().tabGeneral);
  FakeToolkit::Click(Opt(), "tbnCommunication");
  EXPECT_EQ(Opt().PageControl1->ActivePage(), Opt().tabCommunication);
  EXPECT_EQ(gOptionPage, 1);
  EXPECT_TRUE(Opt().tbnCommunication->Down());
  EXPECT_FALSE(Opt().tbnGeneral->Down());
  FakeToolkit::Click(Opt(), "actKeyData");
  EXPECT_EQ(gOptionPage, 3);
  FakeToolkit::Click(Opt(), "btnCancel");
  ShowOption();
  EXPECT_EQ(Opt().PageControl1->ActivePage(), Opt().tabKeyData);
  EXPECT_TRUE(Opt().tbnKeyData->Down());
}

TEST_F(OptionTest, OkWritesTheControlsSavesAndCloses) {
  ShowOption();
  FakeToolkit::Select(Opt(), "rdgAutoStartMode", 1);
  FakeToolkit::EnterText(Opt(), "cboPort", "com 5");
  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_FALSE(Opt().Showing());
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_EQ(saves, 1);
  EXPECT_TRUE(General.AutoStart);
  EXPECT_EQ(Serial.Port, 5);
  const auto& lines = main->lstSetupValue->Items();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Port=COM5"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Auto Start Mode=ON"), lines.end());
}

TEST_F(OptionTest, CloseQuestionOnlyForChangedValues) {
  struct Case {
    const char* what;
    bool changeStartMode;
    MsgResult answer;
    bool closed;
    int saves;
    bool autoStartAfter;
  };
  const Case cases[] = {
      {"unchanged", false, MsgResult::OK, true, 0, false},
      {"Yes saves", true, MsgResult::Yes, true, 1, true},
      {"No drops", true, MsgResult::No, true, 0, false},
      {"Cancel keeps the edits", true, MsgResult::Cancel, false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    General.AutoStart = false;
    saves = 0;
    tk.boxes.clear();
    ShowOption();
    if (c.changeStartMode) {
      FakeToolkit::Select(Opt(), "rdgAutoStartMode", 1);
      tk.QueueAnswer(c.answer);
    }
    FakeToolkit::Click(Opt(), "btnCancel");
    ASSERT_EQ(tk.boxes.size(), c.changeStartMode ? 1u : 0u);
    if (c.changeStartMode) {
      EXPECT_EQ(tk.boxes[0].text, "Save data?");
      EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::YesNoCancel);
    }
    EXPECT_EQ(Opt().Showing(), !c.closed);
    EXPECT_EQ(saves, c.saves);
    EXPECT_EQ(General.AutoStart, c.autoStartAfter);
    if (!c.closed) {
      EXPECT_EQ(Opt().GeneralPage().rdgAutoStartMode->ItemIndex(), 1);
      Opt().Hide();
    } else {
      // The next show reloads the controls from the settings.
      ShowOption();
      EXPECT_EQ(Opt().GeneralPage().rdgAutoStartMode->ItemIndex(), c.autoStartAfter ? 1 : 0);
      Opt().Hide();
    }
  }
}

TEST_F(OptionTest, LanguageIsAppliedAtOnceAndNeverAsked) {
  LanguageFiles = {"English.rlf", "Deutsch.rlf"};
  loaded.LanguageFile = "Deutsch.rlf";
  ShowOption();
  Opt().GeneralPage().cboLanguage->SetItems({"English", "German"});  // display names
  Opt().GeneralPage().cboLanguage->SetItemIndex(1);
  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_EQ(General.LanguageFile, "Deutsch.rlf");  // the box was not touched
  ShowOption();
  FakeToolkit::Select(Opt(), "cboLanguage", 0);
  EXPECT_EQ(languagesLoaded, std::vector<int>{0});
  EXPECT_EQ(General.LanguageFile, "English.rlf");
  FakeToolkit::Click(Opt(), "btnCancel");
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_FALSE(Opt().Showing());
  EXPECT_EQ(General.LanguageFile, "English.rlf");
  LanguageFiles.clear();
}

TEST_F(OptionTest, ClosingTheProgramOrAHiddenDialogAsksNothing) {
  ShowOption();
  FakeToolkit::Select(Opt(), "rdgAutoStartMode", 1);
  gCloseRequested = true;
  Opt().Close();
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_FALSE(Opt().Showing());
  gCloseRequested = false;
}

TEST_F(OptionTest, HomePageLinkOpensThroughTheShell) {
  ShowOption();
  FakeToolkit::Click(Opt(), "lblURL");
  EXPECT_EQ(shell.opened, std::vector<std::string>{TInformationPage::kHomePage});
  shell.failOpenUrl = true;
  FakeToolkit::Click(Opt(), "lblURL");
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Can't open home page of ORVANE");
}

TEST_F(OptionTest, ReturnToDefaultClosesAndShowsTheWizard) {
  ui::Form wizard("frmWizard");
  ShowOption();
  main->WizardForm = &wizard;
  FakeToolkit::Click(Opt(), "btnDefault");
  EXPECT_FALSE(Opt().Showing());
  EXPECT_EQ(tk.modalForms, std::vector<std::string>{"frmWizard"});
  main->WizardForm = nullptr;
}

}  // namespace
}  // namespace km27::test
