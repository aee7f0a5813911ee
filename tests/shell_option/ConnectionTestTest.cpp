// The reader exchanges of the options dialog against a scripted reader: the
// connection test over the listed ports or one typed port, the firmware
// version and giving the reader its power-on setting back.
#include <algorithm>

#include "settings/Messages.h"
#include "tests/shell_option/OptionFixture.h"

namespace km27::test {
namespace {

class ConnectionTestTest : public OptionFixture {
 protected:
  // The reader answers "VR" only on port `port` (from the `fromAsk`th time
  // it is asked there); each "VR" notes the checking text shown then.
  void ReaderOnPort(int32_t port, int fromAsk = 1) {
    reader->onCommand = [this, port, fromAsk](const std::string& command) {
      if (command != "VR") return;
      checking.push_back(Comm().lblConnectTest->Caption());
      portsAsked.push_back(reader->PortNo());
      if (reader->PortNo() == port && std::count(portsAsked.begin(), portsAsked.end(), port) >= fromAsk)
        reader->answers["VR"] = VersionFrame();
      else
        reader->answers.erase("VR");
    };
  }
  std::vector<std::string> checking;
  std::vector<int32_t> portsAsked;
};

TEST_F(ConnectionTestTest, FindsTheReaderOnTheThirdPort) {
  deviceMap.ports = {"COM1", "COM2", "COM3"};
  Serial.Port = 1;
  ShowOption();
  // Behind an adapter that is still settling, the reader misses the first
  // command after the port opens: a port that opens is asked twice.
  ReaderOnPort(3, 2);
  reader->answers["SP"] = ReaderFrame("SP1FF");
  FakeToolkit::Click(Opt(), "btnConnetTest");
  EXPECT_EQ(checking, (std::vector<std::string>{"Checking...  \"COM1\"", "Checking...  \"COM1\"",
                                                "Checking...  \"COM2\"", "Checking...  \"COM2\"",
                                                "Checking...  \"COM3\"", "Checking...  \"COM3\""}));
  EXPECT_EQ(Comm().lblConnectTest->Caption(), "Test result : OK");
  EXPECT_EQ(Comm().cboPort->ItemIndex(), 2);
  EXPECT_EQ(Serial.Port, 3);
  EXPECT_TRUE(gConnectChecked);
  EXPECT_TRUE(reader->IsOpen());          // left open for what follows
  EXPECT_EQ(reader->Count("SP"), 1);      // the power-on setting was checked
}

TEST_F(ConnectionTestTest, NoReaderRestoresTheChoiceAndThePortInUse) {
  deviceMap.ports = {"COM1", "COM2", "COM3"};
  for (int32_t stored : {2, 5}) {  // present, and away just now (an unplugged adapter)
    Serial.Port = stored;
    ShowOption();
    ReaderOnPort(0);
    portsAsked.clear();
    const std::string shown = Comm().cboPort->Text();
    EXPECT_EQ(shown.rfind("COM" + std::to_string(stored), 0), 0u);
    EXPECT_EQ(shown == "COM" + std::to_string(stored), stored == 2);  // an absent one is marked
    gConnectChecked = true;
    FakeToolkit::Click(Opt(), "btnConnetTest");
    EXPECT_EQ(portsAsked, (std::vector<int32_t>{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(Comm().lblConnectTest->Caption(), "Test result : Error");
    EXPECT_EQ(Comm().cboPort->Text(), shown);
    EXPECT_EQ(Serial.Port, stored);
    EXPECT_FALSE(gConnectChecked);
    EXPECT_FALSE(reader->IsOpen());
    FakeToolkit::Click(Opt(), "btnOK");
    EXPECT_EQ(Serial.Port, stored);
  }
}

TEST_F(ConnectionTestTest, ManualSearchTriesTheTypedPortOnlyAndFillsTheWizardLabel) {
  deviceMap.ports = {"COM1", "COM2"};
  Serial.Port = 1;
  ShowOption();
  ReaderOnPort(7);
  ui::Form wizard("frmWizard");
  auto& box = wizard.Make<ui::ComboBox>("cboPort");
  auto& label = wizard.Make<ui::Label>("lblConnectTest");
  box.Editable = true;
  box.SetText("com 7");
  TConnectionTestBox target{&box, true, &label, true};
  ASSERT_TRUE(Opt().ConnectionTest(target));
  EXPECT_EQ(portsAsked, std::vector<int32_t>{7});
  EXPECT_EQ(checking, std::vector<std::string>{"Checking...  \"com 7\""});
  EXPECT_EQ(label.Caption(), "Test result : OKNext");
  EXPECT_EQ(Comm().lblConnectTest->Caption(), "Test result : OKNext");
  EXPECT_EQ(box.Items().size(), 0u);  // a manual search does not list the ports
  EXPECT_EQ(Serial.Port, 7);
}

TEST_F(ConnectionTestTest, ManualSearchWithoutAPortNumberSendsNothing) {
  ShowOption();
  ReaderOnPort(1);
  Serial.Port = 4;
  ui::Form wizard("frmWizard");
  auto& box = wizard.Make<ui::ComboBox>("cboPort");
  box.SetText("reader");
  Opt().ConnectionTest(TConnectionTestBox{&box, true, nullptr, true});
  EXPECT_TRUE(portsAsked.empty());
  EXPECT_EQ(Comm().lblConnectTest->Caption(), "Test result : Error");
  EXPECT_EQ(Serial.Port, 4);
}

TEST_F(ConnectionTestTest, ASecondClickWhileTheTestWaitsStartsNoOtherTest) {
  deviceMap.ports = {"COM1", "COM2"};
  ShowOption();
  ReaderOnPort(2);
  bool nested = true;
  reader->onCommand = [this, &nested, inner = reader->onCommand](const std::string& command) {
    inner(command);
    // The wait pumps messages: the user clicks again.
    if (portsAsked.size() == 1) nested = Opt().ConnectionTest(TConnectionTestBox{Comm().cboPort});
  };
  FakeToolkit::Click(Opt(), "btnConnetTest");
  EXPECT_FALSE(nested);
  EXPECT_EQ(portsAsked, (std::vector<int32_t>{1, 1, 2}));
  EXPECT_EQ(Serial.Port, 2);
}

TEST_F(ConnectionTestTest, TheRunningConvertersChecksWaitWhileTheTestAsks) {
  deviceMap.ports = {"COM1", "COM2", "COM3"};
  Serial.Port = 3;
  ReaderOnPort(3);
  reader->answers["SP"] = ReaderFrame("SP1FF");
  StartConverter();
  main->OptionForm = option.get();
  tk.Advance(1200);
  ShowOption();
  portsAsked.clear();
  // Two silent ports take four answer waits, long enough for the main
  // window's checks to come due several times; had they asked too, their
  // questions would go to the ports being tried and take the test's answers.
  FakeToolkit::Click(Opt(), "btnConnetTest");
  EXPECT_EQ(portsAsked, (std::vector<int32_t>{1, 1, 2, 2, 3}));
  EXPECT_EQ(Comm().lblConnectTest->Caption(), "Test result : OK");
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(tk.boxes.empty());
  // Afterwards they go on as before.
  tk.Advance(4500);
  EXPECT_GT(portsAsked.size(), 5u);
  EXPECT_EQ(portsAsked.back(), 3);
  EXPECT_TRUE(gRunning);
}

TEST_F(ConnectionTestTest, OkAndCancelAreOffWhileTheDialogWaitsForTheReader) {
  deviceMap.ports = {"COM1", "COM2"};
  Serial.Port = 1;
  General.SPSetting = "SP0FF";
  ShowOption();
  ReaderOnPort(2);
  reader->answers["SP0FF"] = reader->answers["PR"] = kAckByte;
  Comm().btnReturnSPSetting->SetEnabled(true);
  std::vector<std::string> during;
  reader->onCommand = [&, inner = reader->onCommand](const std::string& command) {
    inner(command);
    // While COM1 is being tried, Serial.Port is 1: OK would save it.
    during.push_back(command + (Opt().btnOK->Enabled() ? " OK" : "") + (Opt().btnCancel->Enabled() ? " Cancel" : ""));
    Opt().Close();  // the close box
  };
  for (const char* exchange : {"btnConnetTest", "btnReturnSPSetting", "spbFirmVersion"})
    FakeToolkit::Click(Opt(), exchange);
  EXPECT_EQ(during, (std::vector<std::string>{"VR", "VR", "VR", "SP", "SP0FF", "PR", "VR"}));
  EXPECT_TRUE(Opt().Showing());
  EXPECT_EQ(saves, 0);
  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_FALSE(Opt().Showing());
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(Serial.Port, 2);
}

TEST_F(ConnectionTestTest, ExitDuringAnExchangeSendsNothingMore) {
  // What the reader is sent; Exit comes while the last of it waits.
  const std::vector<std::vector<std::string>> cases = {
      {"VR"},        // no reader yet: no second ask, no other port
      {"VR", "SP"},  // the power-on setting is not switched
      {"SP0FF"},     // giving it back: no "PR", no box
  };
  deviceMap.ports = {"COM1", "COM2"};
  General.SPSetting = "SP0FF";
  ShowOption();
  for (const auto& sent : cases) {
    SCOPED_TRACE(sent.back());
    tk.terminated = false;
    tk.boxes.clear();
    reader->commands.clear();
    reader->answers = {{"SP", ReaderFrame("SP0FF")}, {"SP0FF", kAckByte}, {"PR", kAckByte}};
    if (sent.size() > 1) reader->answers["VR"] = VersionFrame();
    reader->onCommand = [&](const std::string& command) {
      if (command == sent.back()) tk.Terminate();  // Exit from the tray, answered OK
    };
    Comm().btnReturnSPSetting->SetEnabled(true);
    FakeToolkit::Click(Opt(), sent[0] == "VR" ? "btnConnetTest" : "btnReturnSPSetting");
    EXPECT_EQ(reader->commands, sent);
    EXPECT_TRUE(tk.boxes.empty());
  }
}

TEST_F(ConnectionTestTest, FirmwareVersionLine) {
  struct Case {
    ByteString answer;
    std::string label;
  };
  const Case cases[] = {
      {ReaderFrame("VRKM27 V1.00241108"), "Firmware Version : KM27 V1.00    Date: 241108"},
      {"", "No Response!"},
      {ReaderFrame("XVR0123456789012345"), "before"},  // "VR" not at position 2
  };
  // An answer too short for its parts gives what there is.
  EXPECT_EQ(TInformationPage::FirmwareLine("\x02VR1"), "Firmware Version : 1    Date: ");
  ShowOption();
  reader->Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Opt().InformationPage().lblResponse->SetCaption("before");
    if (c.answer.empty())
      reader->answers.erase("VR");
    else
      reader->answers["VR"] = c.answer;
    FakeToolkit::Click(Opt(), "spbFirmVersion");
    EXPECT_EQ(Opt().InformationPage().lblResponse->Caption(), c.label);
  }
}

TEST_F(ConnectionTestTest, ReturnPowerOnSetting) {
  struct Case {
    const char* what;
    bool openFails;
    ByteString spAnswer, prAnswer;
    std::vector<std::string> boxes;
    bool returned;
  };
  const Case cases[] = {
      {"both acknowledged", false, kAckByte, kAckByte, {}, true},
      {"no answer to PR", false, kAckByte, "", {"Error! No Response."}, false},
      {"refused", false, ByteString("\x15" "AB\x01\xB1", 5), "", {"Error Response! [15]AB[01]\xB1"}, false},
      {"port cannot open", true, "", "", {"* Open error. COM", "Error! Port open eror!"}, false},
  };
  General.SPSetting = "SP0FF";
  ShowOption();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tk.boxes.clear();
    reader->answers.clear();
    if (!c.spAnswer.empty()) reader->answers["SP0FF"] = c.spAnswer;
    if (!c.prAnswer.empty()) reader->answers["PR"] = c.prAnswer;
    reader->failOpen = c.openFails;
    Comm().btnReturnSPSetting->SetEnabled(true);
    Comm().lblReturnSPSetting->SetCaption("");
    FakeToolkit::Click(Opt(), "btnReturnSPSetting");
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(Comm().lblReturnSPSetting->Caption(), c.returned ? "Returned Power ON Setting." : "");
    EXPECT_EQ(Comm().btnReturnSPSetting->Enabled(), !c.returned);
  }
}

}  // namespace
}  // namespace km27::test
