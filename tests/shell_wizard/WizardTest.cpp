// The setup wizard's pages, progress, buttons, Complete and Cancel against a
// scripted reader.
#include "device/Ports.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "tests/shell_wizard/WizardFixture.h"

namespace km27::test {
namespace {

using Wizard = WizardFixture;

const char* const kTwoTracks = "04900123456789\x1F" "01234567890";

TEST_F(Wizard, ButtonsAndTitleThroughAWholeRun) {
  deviceMap.ports = {"COM1", "COM2"};
  ShowWizard();
  ReaderAnswers();
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* shows;
  };
  const Step steps[] = {
      {"shown", [] {}, "Initial Wizard Window  1/3|--+|Next"},
      {"reader found", [this] { Click("btnConnetTest"); }, "Initial Wizard Window  1/3|-++|Next"},
      {"read check page", [this] { Click("btnNext"); }, "Initial Wizard Window  2/3|+-+|Next"},
      {"card read", [this] { Swipe(kTwoTracks); }, "Initial Wizard Window  2/3|+++|Next"},
      {"start page", [this] { Click("btnNext"); }, "Initial Wizard Window  3/3|+-+|Next"},
      {"mode chosen", [this] { FakeToolkit::Select(Wiz(), "rdgAutoStartMode", 1); },
       "Initial Wizard Window  3/3|++-|Complete"},
      {"back", [this] { Click("btnPrevious"); }, "Initial Wizard Window  2/3|+++|Next"},
      {"back to the start", [this] { Click("btnPrevious"); }, "Initial Wizard Window  1/3|-++|Next"},
      {"on again", [this] { Click("btnNext"); Click("btnNext"); }, "Initial Wizard Window  3/3|++-|Complete"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(Buttons(), s.shows);
  }
  EXPECT_EQ(Wiz().Progress(), "111");
  EXPECT_EQ(wizardSaves, 0);
  Click("btnNext");
  EXPECT_FALSE(Wiz().Showing());
  EXPECT_EQ(wizardSaves, 1);
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Wizard, TitlesComeFromTheMessagesAndEveryShowStartsAfresh) {
  gstrWizardTitle1 = "Find the card reader";
  gstrWizardTitle2 = "Read a test card";
  ShowWizard();
  EXPECT_EQ(Wiz().pnlTop->Caption(), "Find the card reader  1/3");
  ReaderAnswers();
  Click("btnConnetTest");
  Click("btnNext");
  EXPECT_EQ(Wiz().pnlTop->Caption(), "Read a test card  2/3");
  Swipe(kTwoTracks);
  tk.QueueAnswer(ui::MsgResult::OK);
  Click("btnCancel");
  ASSERT_FALSE(Wiz().Showing());

  Wiz().Show();
  EXPECT_EQ(Wiz().PageIndex(), 0);
  EXPECT_EQ(Wiz().Progress(), "000");
  EXPECT_TRUE(Wiz().ReadCheckPage().lvwReadData->Rows().empty());
  EXPECT_EQ(Wiz().StartupPage().rdgAutoStartMode->ItemIndex(), -1);
  EXPECT_EQ(Wiz().ConnectPage().lblConnectTest->Caption(), WizardConnectTestText);
  EXPECT_EQ(Wiz().ReadCheckPage().lblReadCheckNote->Caption(), WizardReadCheckNoteText);
}

TEST_F(Wizard, NextWaitsForEachStep) {
  ShowWizard();
  // No reader: the test fails and the first page keeps Next off.
  Click("btnConnetTest");
  EXPECT_EQ(Wiz().ConnectPage().lblConnectTest->Caption(), "Test result : Error");
  EXPECT_EQ(Wiz().ButtonState(), 0);
  Click("btnNext");
  EXPECT_EQ(Wiz().PageIndex(), 0);

  ReaderAnswers();
  Click("btnConnetTest");
  EXPECT_EQ(Wiz().ConnectPage().lblConnectTest->Caption(), "Test result : OKNext");
  Click("btnNext");
  ASSERT_EQ(Wiz().PageIndex(), 1);
  Click("btnNext");
  EXPECT_EQ(Wiz().PageIndex(), 1);
  // A frame without any track changes nothing.
  Swipe("");
  EXPECT_EQ(Wiz().ButtonState(), 2);

  Swipe(kTwoTracks);
  Click("btnNext");
  ASSERT_EQ(Wiz().PageIndex(), 2);
  Click("btnNext");  // no start mode chosen yet
  EXPECT_TRUE(Wiz().Showing());
  EXPECT_EQ(wizardSaves, 0);
}

TEST_F(Wizard, ReadNotes) {
  struct Case {
    const char* slots;
    const char* note;
    bool done;
    std::vector<std::string> rows;  // caption, digits, data or error, checked
  };
  const Case cases[] = {
      {"04900123", "read\r\nnext", true, {"1 7 4900123 +"}},
      {"3", "failed", false, {"1   Parity Error -"}},
      {kTwoTracks, "read\r\ntick\r\nnext", true, {"1 13 4900123456789 +", "2 10 1234567890 +"}},
      {"04900123\x1F" "3", "partly\r\nnext", true, {"1 7 4900123 +", "2   Parity Error -"}},
      {"3\x1F" "3", "failed", false, {"1   Parity Error -", "2   Parity Error -"}},
  };
  ShowWizard();
  reader->Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.slots);
    Swipe(c.slots);
    EXPECT_EQ(Wiz().ReadCheckPage().lblReadCheckNote->Caption(), c.note);
    EXPECT_EQ(Wiz().Progress()[1], c.done ? '1' : '0');
    std::vector<std::string> rows;
    for (const ui::ListRow& r : Wiz().ReadCheckPage().lvwReadData->Rows()) {
      std::string line = r.caption;
      for (const auto& s : r.subItems) line += " " + s;
      rows.push_back(line + (r.checked ? " +" : " -"));
    }
    EXPECT_EQ(rows, c.rows);
  }
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Wizard, AllTracksFailedKeepsNextOffOnTheReadPage) {
  ShowWizard();
  ReaderAnswers();
  Click("btnConnetTest");
  Click("btnNext");
  Swipe(kTwoTracks);
  ASSERT_TRUE(Wiz().btnNext->Enabled());
  // A later read that failed throughout takes the step back.
  Swipe("3\x1F" "3");
  EXPECT_FALSE(Wiz().btnNext->Enabled());
  EXPECT_EQ(Wiz().ReadCheckPage().lblReadCheckNote->Caption(), "failed");
}

TEST_F(Wizard, UncheckedTrackIsLeftOut) {
  KeyData.Header = "H";
  KeyData.Blocks = {TBlockData{1, false, 3, 4, "a", "b"}, TBlockData{2, true, 0, 0, "", ""}};
  KeyData.BlockNum = 2;
  ShowWizard();
  ReaderAnswers();
  Click("btnConnetTest");
  Click("btnNext");
  Swipe("0A\x1F" "0B\x1F" "0C");
  FakeToolkit::CheckRow(Wiz(), "lvwReadData", 1, false);
  // Without any track the converter would type nothing: the step is undone.
  FakeToolkit::CheckRow(Wiz(), "lvwReadData", 0, false);
  FakeToolkit::CheckRow(Wiz(), "lvwReadData", 2, false);
  EXPECT_FALSE(Wiz().btnNext->Enabled());
  FakeToolkit::CheckRow(Wiz(), "lvwReadData", 0, true);
  FakeToolkit::CheckRow(Wiz(), "lvwReadData", 2, true);
  Click("btnNext");
  FakeToolkit::Select(Wiz(), "rdgAutoStartMode", 0);
  Click("btnNext");
  ASSERT_FALSE(Wiz().Showing());

  EXPECT_EQ(CardData.Tracks, "1110");
  EXPECT_EQ(CardData.TrackUse, "1010");
  ASSERT_EQ(KeyData.BlockNum, 2);
  ASSERT_EQ(KeyData.Blocks.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const TBlockData& b = KeyData.Blocks[i];
    EXPECT_EQ(b.Track, i == 0 ? 1 : 3);
    EXPECT_TRUE(b.AllData);
    EXPECT_EQ(b.Start, 1);
    EXPECT_EQ(b.Digit, 1);
    EXPECT_EQ(b.BlockHeader, "");
    EXPECT_EQ(b.BlockFooter, "");
  }
  EXPECT_EQ(KeyData.Header, "H");  // not the wizard's to change
}

TEST_F(Wizard, CompleteWritesExactlyItsSettings) {
  deviceMap.ports = {"COM1", "COM4"};
  reader->onCommand = [this](const std::string& command) {
    if (command == "VR" && reader->PortNo() == 4) reader->answers["VR"] = VersionFrame();
    if (command == "VR" && reader->PortNo() != 4) reader->answers.erase("VR");
  };
  reader->answers["SP"] = ReaderFrame("SP1FF");
  loaded.AutoStart = false;
  loaded.LanguageFile = "English.rlf";
  Start();
  Serial.Port = 1;
  TargetWindow.WindowTitle = "Notepad";
  KeyData.Terminator = "[ENTER]";
  const TGeneral general = General;
  const TSerialSetup serial = Serial;
  const TTargetWindow target = TargetWindow;
  const std::string terminator = KeyData.Terminator;

  ShowWizard();
  Click("btnConnetTest");
  Click("btnNext");
  Swipe("0123456");
  Click("btnNext");
  FakeToolkit::Select(Wiz(), "rdgAutoStartMode", 1);
  ASSERT_EQ(wizardSaves, 0);
  Click("btnNext");
  ASSERT_EQ(wizardSaves, 1);

  // What the wizard sets...
  EXPECT_EQ(General.WizardStatus, "111");
  EXPECT_TRUE(General.AutoStart);
  EXPECT_EQ(Serial.Port, 4);
  EXPECT_EQ(CardData.Tracks, "1000");
  EXPECT_EQ(CardData.TrackUse, "1000");
  EXPECT_TRUE(CardData.SingleTrack);
  ASSERT_EQ(KeyData.BlockNum, 1);
  EXPECT_EQ(KeyData.Blocks[0].Track, 1);
  // ... and nothing else.
  TGeneral g = General;
  g.WizardStatus = general.WizardStatus;
  g.AutoStart = general.AutoStart;
  EXPECT_EQ(g.LanguageFile, general.LanguageFile);
  EXPECT_EQ(g.SPSetting, general.SPSetting);
  EXPECT_EQ(g.ConnectionCheck, general.ConnectionCheck);
  EXPECT_EQ(g.Release, general.Release);
  TSerialSetup s = Serial;
  EXPECT_EQ(s.BaudRate, serial.BaudRate);
  EXPECT_EQ(s.Parity, serial.Parity);
  EXPECT_EQ(TargetWindow.WindowTitle, target.WindowTitle);
  EXPECT_EQ(KeyData.Terminator, terminator);
  // The main window lists the new values.
  const auto& values = main->lstSetupValue->Items();
  EXPECT_NE(std::find(values.begin(), values.end(), "Auto Start Mode=ON"), values.end());
  EXPECT_NE(std::find(values.begin(), values.end(), "Port=COM4"), values.end());
  // The converter is stopped: the port the search opened is let go.
  EXPECT_FALSE(reader->IsOpen());
}

TEST_F(Wizard, GoingBackKeepsProgress) {
  ShowWizard();
  ReaderAnswers();
  Click("btnConnetTest");
  Click("btnNext");
  Swipe("0123");
  Click("btnNext");
  FakeToolkit::Select(Wiz(), "rdgAutoStartMode", 0);
  Click("btnPrevious");
  Click("btnPrevious");
  EXPECT_EQ(Wiz().Progress(), "111");
  EXPECT_EQ(Wiz().ButtonState(), 1);
  // A failed test on the way back takes only its own step back.
  reader->answers.erase("VR");
  Click("btnConnetTest");
  EXPECT_EQ(Wiz().Progress(), "011");
  EXPECT_FALSE(Wiz().btnNext->Enabled());
}

TEST_F(Wizard, CancelAsksAccordingToTheStoredStatus) {
  struct Case {
    const char* status;
    ui::MsgResult answer;
    const char* question;
    bool closes;
  };
  const Case cases[] = {
      {"111", ui::MsgResult::Cancel, "leave?", false},
      {"111", ui::MsgResult::OK, "leave?", true},
      {"000", ui::MsgResult::Cancel, "end?", false},
      {"011", ui::MsgResult::OK, "end?", true},
  };
  Start();
  CardData.Tracks = "1100";
  CardData.TrackUse = "0100";
  CardData.SingleTrack = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.status) + (c.closes ? " OK" : " Cancel"));
    General.WizardStatus = c.status;
    tk.boxes.clear();
    ShowWizard();
    ReaderAnswers();
    Click("btnConnetTest");
    Click("btnNext");
    Swipe("0123");  // a single track, for this showing only
    tk.QueueAnswer(c.answer);
    Click("btnCancel");
    ASSERT_EQ(tk.boxes.size(), 1u);
    EXPECT_EQ(tk.boxes[0].text, c.question);
    EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Information);
    EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OKCancel);
    EXPECT_EQ(Wiz().Showing(), !c.closes);
    EXPECT_EQ(General.WizardStatus, c.status);
    EXPECT_EQ(wizardSaves, 0);
    if (c.closes) {
      // The test read is forgotten: the converter keeps its tracks.
      EXPECT_EQ(CardData.Tracks, "1100");
      EXPECT_EQ(CardData.TrackUse, "0100");
      EXPECT_FALSE(CardData.SingleTrack);
    } else {
      EXPECT_EQ(CardData.TrackUse, "1000");
      tk.QueueAnswer(ui::MsgResult::OK);
      Wiz().Close();  // the close box asks as Cancel does
      ASSERT_FALSE(Wiz().Showing());
    }
  }
  EXPECT_EQ(saves, 0);
}

TEST_F(Wizard, ManualSearchTriesTheChosenPortOnly) {
  deviceMap.ports = {"COM1", "COM2", "COM3"};
  ShowWizard();
  auto& page = Wiz().ConnectPage();
  EXPECT_EQ(page.cboPort->Items(), (std::vector<std::string>{"COM1", "COM2", "COM3"}));
  EXPECT_EQ(page.cboPort->ItemIndex(), 0);
  EXPECT_FALSE(page.cboPort->Enabled());
  EXPECT_FALSE(page.lblPort->Enabled());
  Click("chkManualPortSearch");
  EXPECT_TRUE(page.cboPort->Enabled());
  EXPECT_TRUE(page.lblPort->Enabled());
  FakeToolkit::Select(Wiz(), "cboPort", 2);
  ReaderAnswers();
  Click("btnConnetTest");
  EXPECT_EQ(reader->Count("VR"), 1);
  EXPECT_EQ(reader->PortNo(), 3);
  EXPECT_EQ(Wiz().Progress(), "100");
  EXPECT_TRUE(page.cboPort->Enabled());
}

TEST_F(Wizard, PowerOnSettingSwitchedIsToldOnThePage) {
  gstrWizardReturnSP = " (can be given back)";
  ShowWizard();
  reader->answers["VR"] = VersionFrame();
  reader->answers["SP"] = ReaderFrame("SP0FF");
  reader->answers["SP1FF"] = kAckByte;
  reader->answers["PR"] = kAckByte;
  Click("btnConnetTest");
  EXPECT_EQ(Wiz().ConnectPage().lblConnectTest->Caption(),
            "Test result : OKNext\r\nSet Power ON Setting. (can be given back)");
  EXPECT_TRUE(tk.boxes.empty());  // said on the page, not in a box over the wizard
  EXPECT_EQ(Wiz().Progress(), "100");
}

TEST_F(Wizard, NothingLeavesThePageWhileTheTestWaits) {
  deviceMap.ports = {"COM1", "COM2"};
  ShowWizard();
  Click("btnConnetTest");  // no reader
  ReaderAnswers();
  Click("btnConnetTest");
  Click("btnNext");
  Swipe("0123");
  Click("btnPrevious");
  std::vector<std::string> seen;
  reader->onCommand = [&](const std::string& command) {
    if (command != "VR") return;
    seen.push_back(Buttons());
    // The user presses everything while the reader is asked.
    Click("btnNext");
    Click("btnCancel");
    Wiz().Close();
    Click("btnConnetTest");
  };
  Click("btnConnetTest");
  ASSERT_FALSE(seen.empty());
  for (const auto& s : seen) EXPECT_EQ(s, "Initial Wizard Window  1/3|---|Next");
  EXPECT_TRUE(Wiz().Showing());
  EXPECT_EQ(Wiz().PageIndex(), 0);
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_EQ(Buttons(), "Initial Wizard Window  1/3|-++|Next");
  EXPECT_TRUE(Wiz().ConnectPage().btnConnetTest->Enabled());
}

TEST_F(Wizard, ShortcutButtonsAreTheOptionDialogs) {
  ShowWizard();
  tk.QueueAnswer(ui::MsgResult::OK);
  tk.QueueAnswer(ui::MsgResult::OK);
  tk.QueueAnswer(ui::MsgResult::OK);
  tk.QueueAnswer(ui::MsgResult::OK);
  Click("btnSetStartup");
  Click("btnSetDesktp");
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Set to start up?", "Completed", "Set desktop icon?", ""}));
  EXPECT_EQ(shell.saved.size(), 2u);
  EXPECT_EQ(Wiz().Progress(), "000");
}

TEST_F(Wizard, ReadsWhileHiddenAreNotTheWizards) {
  Start();
  reader->Open();
  Swipe("0123");
  EXPECT_TRUE(Wiz().ReadCheckPage().lvwReadData->Rows().empty());
}

}  // namespace
}  // namespace km27::test
