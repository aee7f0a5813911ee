// The setup wizard's pages, progress, buttons, Complete and Cancel against a
// scripted reader.
#include "settings/Define.h"
#include "settings/IniFile.h"
#include "settings/Language.h"
#include "settings/SetupFile.h"
#include "tests/shell_wizard/WizardFixture.h"
#include "tests/support/LayoutChecks.h"

namespace km27::test {
namespace {

using Wizard = WizardFixture;

const char* const kTwoTracks = "04900123456789\x1F" "01234567890";

// The settings as the file would get them, one "section/line" each.
std::vector<std::string> SavedLines() {
  IniFile ini;
  SaveSettings(ini);
  std::vector<std::string> out;
  std::string section, line;
  for (char c : ini.Text() + "\r\n") {
    if (c == '\r') continue;
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line[0] == '[')
      section = line;
    else if (!line.empty())
      out.push_back(section + line);
    line.clear();
  }
  return out;
}

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
  EXPECT_EQ(wizardSaves, 0);
  Click("btnNext");
  EXPECT_FALSE(Wiz().Showing());
  EXPECT_EQ(wizardSaves, 1);
  EXPECT_TRUE(tk.boxes.empty());

  // The next show starts afresh.
  Wiz().Show();
  EXPECT_EQ(Buttons(), "Initial Wizard Window  1/3|--+|Next");
  EXPECT_EQ(Wiz().Progress(), "000");
  EXPECT_TRUE(Wiz().ReadCheckPage().lvwReadData->Rows().empty());
  EXPECT_EQ(Wiz().StartupPage().rdgAutoStartMode->ItemIndex(), -1);
  EXPECT_EQ(Wiz().ReadCheckPage().lblReadCheckNote->Caption(), WizardReadCheckNoteText);
}

TEST_F(Wizard, NextWaitsForEachStep) {
  ShowWizard();
  Click("btnConnetTest");  // no reader
  EXPECT_EQ(Wiz().ConnectPage().lblConnectTest->Caption(), "Test result : Error");
  Click("btnNext");
  EXPECT_EQ(Wiz().PageIndex(), 0);

  ReaderAnswers();
  Click("btnConnetTest");
  Click("btnNext");
  Click("btnNext");
  EXPECT_EQ(Wiz().PageIndex(), 1);
  Swipe("");  // a frame without any track changes nothing
  EXPECT_FALSE(Wiz().btnNext->Enabled());
  Swipe(kTwoTracks);
  EXPECT_TRUE(Wiz().btnNext->Enabled());
  // A read in which every track failed takes the step back.
  Swipe("3\x1F" "3");
  EXPECT_FALSE(Wiz().btnNext->Enabled());
  EXPECT_EQ(Wiz().ReadCheckPage().lblReadCheckNote->Caption(), "failed");

  Swipe(kTwoTracks);
  Click("btnNext");
  Click("btnNext");  // no start mode chosen yet
  EXPECT_TRUE(Wiz().Showing());
  EXPECT_EQ(wizardSaves, 0);
}

TEST_F(Wizard, ReadNotesAndRows) {
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
}

TEST_F(Wizard, UncheckedTrackIsLeftOut) {
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
  EXPECT_EQ(KeyData.Blocks[0].Track, 1);
  EXPECT_EQ(KeyData.Blocks[1].Track, 3);
}

TEST_F(Wizard, CompleteWritesExactlyItsSettings) {
  deviceMap.ports = {"COM1", "COM4"};
  reader->onCommand = [this](const std::string& command) {
    if (command != "VR") return;
    if (reader->PortNo() == 4)
      reader->answers["VR"] = VersionFrame();
    else
      reader->answers.erase("VR");
  };
  reader->answers["SP"] = ReaderFrame("SP1FF");
  Start();
  General.WizardStatus = "000";  // as on a first run
  KeyData.Header = "H";
  KeyData.Terminator = "[ENTER]";
  KeyData.Blocks = {TBlockData{2, false, 3, 4, "a", "b"}};
  KeyData.BlockNum = 1;
  TargetWindow.WindowTitle = "Notepad";
  const std::vector<std::string> before = SavedLines();

  ShowWizard();
  Click("btnConnetTest");
  Click("btnNext");
  Swipe("0123456");
  Click("btnNext");
  FakeToolkit::Select(Wiz(), "rdgAutoStartMode", 1);
  Click("btnNext");
  ASSERT_EQ(wizardSaves, 1);

  std::vector<std::string> changed;
  const std::vector<std::string> after = SavedLines();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i)
    if (after[i] != before[i]) changed.push_back(after[i]);
  EXPECT_EQ(changed, (std::vector<std::string>{
                         "[General]AutoStart=1", "[General]WizardStatus=111", "[Connection]Port=4",
                         "[CardData]Tracks=1000", "[CardData]TrackUse=1000", "[CardData]SingleTrack=1", "[BlockData:1]BlockHeader=",
                         "[BlockData:1]BlockFooter=", "[BlockData:1]Track=1", "[BlockData:1]Start=1",
                         "[BlockData:1]Digit=1", "[BlockData:1]AllData=1"}));
  // The main window lists the new values; the stopped converter holds no port.
  const auto& values = main->lstSetupValue->Items();
  EXPECT_NE(std::find(values.begin(), values.end(), "Auto Start Mode=ON"), values.end());
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
  EXPECT_TRUE(Wiz().btnNext->Enabled());
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
  };
  const Case cases[] = {
      {"111", ui::MsgResult::Cancel, "leave?"},
      {"111", ui::MsgResult::OK, "leave?"},
      {"000", ui::MsgResult::Cancel, "end?"},
      {"011", ui::MsgResult::OK, "end?"},
  };
  Start();
  CardData.Tracks = "1100";
  CardData.TrackUse = "0100";
  CardData.SingleTrack = false;
  for (const Case& c : cases) {
    const bool ok = c.answer == ui::MsgResult::OK;
    SCOPED_TRACE(std::string(c.status) + (ok ? " OK" : " Cancel"));
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
    EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OKCancel);
    EXPECT_EQ(Wiz().Showing(), !ok);
    EXPECT_EQ(General.WizardStatus, c.status);
    if (!ok) {
      tk.QueueAnswer(ui::MsgResult::OK);
      Wiz().Close();  // the close box asks as Cancel does
      ASSERT_FALSE(Wiz().Showing());
    }
    // The test read is forgotten: the converter keeps its tracks.
    EXPECT_EQ(CardData.TrackUse, "0100");
    EXPECT_FALSE(CardData.SingleTrack);
  }
  EXPECT_EQ(wizardSaves + saves, 0);
}

TEST_F(Wizard, ManualSearchTriesTheChosenPortOnly) {
  deviceMap.ports = {"COM1", "COM2", "COM3"};
  ShowWizard();
  auto& page = Wiz().ConnectPage();
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
}

TEST_F(Wizard, NothingLeavesThePageWhileTheTestWaits) {
  deviceMap.ports = {"COM1", "COM2"};
  ShowWizard();
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
  EXPECT_EQ(seen, std::vector<std::string>{"Initial Wizard Window  1/3|---|Next"});
  EXPECT_TRUE(Wiz().Showing());
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_EQ(Buttons(), "Initial Wizard Window  1/3|-++|Next");
  EXPECT_TRUE(Wiz().ConnectPage().btnConnetTest->Enabled());
}

// On a 144 dpi screen every page's controls still lie inside the wizard.
TEST_F(Wizard, EveryPageFitsAtBothResolutions) {
  ShowWizard();
  for (int dpi : {96, 144}) ExpectControlsInside(Wiz(), dpi);
}

}  // namespace
}  // namespace km27::test
