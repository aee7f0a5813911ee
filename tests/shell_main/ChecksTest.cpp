// The reader checks while converting: the start-up check (firmware version,
// power-on setting) and the connection check (port, modem lines, "VR").
#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/shell_main/MainFixture.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27::test {
namespace {

class Checks : public MainFixture {
 protected:
  Checks() {
    reader->answers["VR"] = VersionFrame();
    reader->answers["SP"] = ReaderFrame("SP1AB");
  }

  // Started converter whose start-up check has run to its end; the window is hidden.
  void StartAndSettle() {
    StartConverter();
    tk.Advance(1200);
    ASSERT_FALSE(main->tmrCheckSPST->Enabled());
    ASSERT_TRUE(gConnectChecked);
    reader->commands.clear();
    tk.boxes.clear();
  }

  void ExpectStoppedWithError() {
    EXPECT_FALSE(gRunning);
    EXPECT_FALSE(reader->IsOpen());
    ASSERT_EQ(tk.boxes.size(), 1u);
    EXPECT_EQ(tk.boxes[0].text, "Test result : Error");
    EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Confirmation);
    EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OK);
    EXPECT_TRUE(main->Showing());
    EXPECT_TRUE(main->actStart->Enabled());
    EXPECT_FALSE(main->actStop->Enabled());
    EXPECT_FALSE(main->tmrCheckSPST->Enabled());
    EXPECT_FALSE(main->tmrCheckConnect->Enabled());
    EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 0);
    EXPECT_EQ(PortCheckFailures + LineCheckFailures + FirmwareCheckFailures + FirmwareCheckTick, 0);
  }
};

// ---- start-up check ----

TEST_F(Checks, ReaderAlreadySetUpEndsTheStartupCheck) {
  loaded.ConnectionCheck = "000";
  StartConverter();
  tk.Advance(1200);
  EXPECT_EQ(reader->commands, (std::vector<std::string>{"VR", "SP"}));
  EXPECT_TRUE(gConnectChecked);
  EXPECT_FALSE(gSPSettingChanged);
  EXPECT_EQ(StartupCheckFailures, 0);
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  tk.Advance(10000);
  EXPECT_EQ(reader->commands.size(), 2u);
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Checks, ReaderWithoutPowerOnSettingIsSwitchedAndTold) {
  loaded.ConnectionCheck = "000";
  reader->answers["SP"] = ReaderFrame("SP0CD");
  reader->answers["SP1CD"] = kAckByte;
  reader->answers["PR"] = kAckByte;
  StartConverter();
  tk.Advance(1500);
  EXPECT_EQ(reader->commands, (std::vector<std::string>{"VR", "SP", "SP1CD", "PR"}));
  EXPECT_EQ(General.SPSetting, "SP0CD");
  EXPECT_TRUE(gSPSettingChanged);
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  // Hidden window: a balloon with an empty title.
  EXPECT_EQ(Balloons().back(), std::make_pair(std::string(), gstrChangeSPSetting));
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Checks, UserStopDuringThePowerOnSettingSwitchIsNotReportedAsNoAnswer) {
  loaded.ConnectionCheck = "000";
  reader->answers["SP"] = ReaderFrame("SP0CD");
  // "SP1CD" stays unanswered: Stop is clicked while it waits.
  reader->onCommand = [this](const std::string& command) {
    if (command == "SP1CD") tk.At(100, [this] { main->mnuStop->Click(); });
  };
  StartConverter();
  tk.Advance(3000);
  EXPECT_EQ(reader->commands, (std::vector<std::string>{"VR", "SP", "SP1CD"}));
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(reader->IsOpen());
  EXPECT_EQ(Balloons().back(), std::make_pair(gstrStop, std::string(" ")));
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
}

TEST_F(Checks, PowerOnSettingResultsFromAShownWindow) {
  loaded.ConnectionCheck = "000";
  CreateMain();
  RunStartup();
  ASSERT_TRUE(main->Showing());
  ASSERT_TRUE(comm->OpenPort(false));
  ui::Form option("frmOption");
  ui::Label& lbl = option.Make<ui::Label>("lblReturnSPSetting");
  ui::Button& btn = option.Make<ui::Button>("btnReturnSPSetting");
  main->OptionForm = &option;

  reader->answers["SP"] = ReaderFrame("SP1AB");
  General.SPSetting = "SP1AB";
  EXPECT_EQ(main->CheckPowerOnSetting(), 2);
  EXPECT_FALSE(lbl.Enabled());  // the reader holds the saved setting
  General.SPSetting = "SP0FF";
  EXPECT_EQ(main->CheckPowerOnSetting(), 2);
  EXPECT_TRUE(btn.Enabled());

  reader->answers["SP"] = ReaderFrame("SP2AB");
  EXPECT_EQ(main->CheckPowerOnSetting(), 1);
  reader->answers["SP"] = ReaderFrame("XSP1A");
  EXPECT_EQ(main->CheckPowerOnSetting(), 0);
  reader->answers.erase("SP");
  EXPECT_EQ(main->CheckPowerOnSetting(), 0);
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());  // not started while stopped
  EXPECT_TRUE(tk.boxes.empty());

  // Switching refused: the reader's error answer is reported in a box.
  reader->answers["SP"] = ReaderFrame("SP0AB");
  reader->answers["SP1AB"] = ReaderFrame("NG01");
  EXPECT_EQ(main->CheckPowerOnSetting(), 3);
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Error Response! ");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Confirmation);

  // Switched, but "PR" not answered.
  reader->answers["SP1AB"] = kAckByte;
  EXPECT_EQ(main->CheckPowerOnSetting(), 4);
  EXPECT_EQ(tk.boxes.back().text, "Error! No Response.");
  EXPECT_FALSE(gSPSettingChanged);

  // Both acknowledged.
  reader->answers["PR"] = kAckByte;
  EXPECT_EQ(main->CheckPowerOnSetting(), 5);
  EXPECT_EQ(tk.boxes.back().text, gstrChangeSPSetting);
  EXPECT_EQ(lbl.Caption(), gstrSetSPSetting);
  EXPECT_TRUE(lbl.Enabled());
  EXPECT_TRUE(btn.Enabled());
  EXPECT_TRUE(gSPSettingChanged);

  // A short answer is never read beyond its end.
  reader->answers["SP"] = ReaderFrame("SP0");
  EXPECT_GE(main->CheckPowerOnSetting(), 3);
}

TEST_F(Checks, SilentReaderIsStoppedAfterTheThirdTry) {
  loaded.ConnectionCheck = "000";
  reader->answers.clear();
  StartConverter();
  tk.boxes.clear();
  tk.Advance(20000);
  EXPECT_EQ(reader->Count("VR"), 3);
  EXPECT_EQ(reader->Count("SP"), 2);
  EXPECT_EQ(StartupCheckFailures, 0);
  ExpectStoppedWithError();
}

TEST_F(Checks, UnansweredPowerOnSettingKeepsAsking) {
  loaded.ConnectionCheck = "000";
  reader->answers.erase("SP");
  StartConverter();
  tk.Advance(20000);
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(reader->Count("VR"), 1);
  EXPECT_GE(reader->Count("SP"), 8);
  EXPECT_TRUE(tk.boxes.empty());
  main->mnuStop->Click();
  size_t sent = reader->commands.size();
  tk.Advance(10000);
  EXPECT_EQ(reader->commands.size(), sent);
}

TEST_F(Checks, FirmwareAnswerMustBeLongEnoughAndInPlace) {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(comm->OpenPort(false));
  EXPECT_TRUE(main->CheckFirmware());
  reader->answers["VR"] = ReaderFrame("VR34567890123");  // 16 bytes: long enough
  EXPECT_TRUE(main->CheckFirmware());
  reader->answers["VR"] = ReaderFrame("VR3456789012");   // 15 bytes: too short
  EXPECT_FALSE(main->CheckFirmware());
  reader->answers["VR"] = ReaderFrame("XVR45678901234");
  EXPECT_FALSE(main->CheckFirmware());
  reader->answers.erase("VR");
  EXPECT_FALSE(main->CheckFirmware());
}

// ---- connection check ----

TEST_F(Checks, HealthyLinkKeepsRunningAndAsksEveryThreeSeconds) {
  StartAndSettle();
  tk.Advance(15000);
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(main->tmrCheckConnect->Enabled());
  EXPECT_EQ(reader->Count("VR"), 5);
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Checks, VanishedPortStopsTheConverter) {
  StartAndSettle();
  deviceMap.ports.clear();
  tk.Advance(1500);
  EXPECT_TRUE(gRunning);  // one failure is tolerated
  EXPECT_EQ(PortCheckFailures, 1);
  tk.Advance(1500);
  ExpectStoppedWithError();
}

TEST_F(Checks, PortBackInTimeResetsTheCount) {
  StartAndSettle();
  deviceMap.ports.clear();
  tk.Advance(1500);
  deviceMap.ports = {"COM1"};
  tk.Advance(1500);
  EXPECT_EQ(PortCheckFailures, 0);
  EXPECT_TRUE(gRunning);
}

TEST_F(Checks, ModemLineCheckAloneStopsAfterTwoTicksWithLinesOff) {
  loaded.ConnectionCheck = "010";
  StartAndSettle();
  deviceMap.ports.clear();  // the port check is off
  reader->cts = reader->dsr = false;
  tk.Advance(1500);
  EXPECT_TRUE(gRunning);
  tk.Advance(1500);
  EXPECT_EQ(reader->Count("VR"), 0);  // the reader check is off
  ExpectStoppedWithError();
}

TEST_F(Checks, OneLineOnIsEnough) {
  loaded.ConnectionCheck = "010";
  StartAndSettle();
  reader->cts = false;
  tk.Advance(6000);
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(LineCheckFailures, 0);
}

TEST_F(Checks, ReopeningRecoversTheLink) {
  loaded.ConnectionCheck = "010";
  StartAndSettle();
  reader->cts = reader->dsr = false;
  tk.Advance(1500);
  // The lines come back when the port is opened again.
  reader->linesOnWithNextOpen = true;
  int opens = reader->opens;
  tk.Advance(1500);
  EXPECT_EQ(reader->opens, opens + 1);
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(LineCheckFailures, 0);
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Checks, ReaderThatStopsAnsweringIsStopped) {
  loaded.ConnectionCheck = "111";
  StartAndSettle();
  reader->answers.erase("VR");
  tk.Advance(3000 + 100);  // first check fails
  EXPECT_EQ(FirmwareCheckFailures, 1);
  EXPECT_TRUE(gRunning);
  tk.Advance(5000);
  EXPECT_EQ(reader->Count("VR"), 3);  // two checks and one after reopening
  ExpectStoppedWithError();
}

// The reader-lost box keeps the tray menu alive: the user plugs the reader in
// again and chooses Start while the box is up. That run stands.
TEST_F(Checks, StartChosenWhileTheReaderLostBoxIsUpStands) {
  StartAndSettle();
  FakeKeyInjector keys;
  CardData.Tracks = CardData.TrackUse = "1000";
  KeyData.BlockNum = 1;
  KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}};
  deviceMap.ports.clear();
  tk.WhileNextBoxUp([this] {
    EXPECT_FALSE(gRunning);
    deviceMap.ports = {"COM1"};
    main->mnuStart->Click();
    tk.Advance(2000);  // the box stays up a while; the new run's checks go on
  });
  tk.Advance(3000);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{"Test result : Error"});
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 1);
  EXPECT_TRUE(main->actStop->Enabled());
  EXPECT_FALSE(main->actStart->Enabled());
  EXPECT_TRUE(main->tmrCheckConnect->Enabled());
  EXPECT_FALSE(main->Showing()) << "the new run hid the window";
  // And it types.
  reader->Deliver(ReaderFrame("CR0042"));
  tk.Advance(200);
  EXPECT_EQ(keys.TypedText(), "42");
  tk.Advance(6000);
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(tk.boxes.size(), 1u);
}

TEST_F(Checks, StartChosenWhileTheStartupCheckErrorIsUpStands) {
  loaded.ConnectionCheck = "000";
  reader->answers.clear();
  StartConverter();
  tk.boxes.clear();
  tk.WhileNextBoxUp([this] {
    reader->answers["VR"] = VersionFrame();
    reader->answers["SP"] = ReaderFrame("SP1AB");
    main->mnuStart->Click();
  });
  tk.Advance(20000);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{"Test result : Error"});
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 1);
  EXPECT_TRUE(main->actStop->Enabled());
  EXPECT_TRUE(gConnectChecked);
}

// A port that stops taking output (a write the driver keeps) stops the
// converter like a lost reader.
TEST_F(Checks, PortThatStopsTakingOutputStopsTheConverter) {
  StartAndSettle();
  reader->Fail();
  ExpectStoppedWithError();
}

TEST_F(Checks, UserStopDuringTheReaderCheckLeavesThePortClosed) {
  loaded.ConnectionCheck = "001";
  StartAndSettle();
  reader->answers.erase("VR");
  tk.Advance(3000 + 100);
  ASSERT_EQ(FirmwareCheckFailures, 1);
  // Stop is clicked while the next "VR" waits: that failure is beyond the
  // tolerance, but the port the user closed is not opened again.
  reader->onCommand = [this](const std::string& command) {
    if (command == "VR") tk.At(100, [this] { main->mnuStop->Click(); });
  };
  tk.Advance(5000);
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(reader->IsOpen());
  EXPECT_EQ(reader->Count("VR"), 2);
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_FALSE(main->tmrCheckConnect->Enabled());
  EXPECT_TRUE(main->actStart->Enabled());
}

TEST_F(Checks, ConnectionCheckFlagsAreSafeOnShortValues) {
  General.ConnectionCheck = "";
  EXPECT_EQ(TfrmMain::ConnectionCheckFlags(), "111");
  General.ConnectionCheck = "0";
  EXPECT_EQ(TfrmMain::ConnectionCheckFlags(), "011");
  General.ConnectionCheck = "00";
  EXPECT_EQ(TfrmMain::ConnectionCheckFlags(), "001");
  General.ConnectionCheck = "2345";
  EXPECT_EQ(TfrmMain::ConnectionCheckFlags(), "234");
  EXPECT_EQ(TfrmMain::CheckLimit('3'), 3);
  EXPECT_EQ(TfrmMain::CheckLimit('x'), 1);
  EXPECT_EQ(TfrmMain::CheckLimit(' '), 1);
}

TEST_F(Checks, ShortSettingStillWatches) {
  loaded.ConnectionCheck = "00";  // the reader check stays with its default
  StartAndSettle();
  EXPECT_TRUE(main->tmrCheckConnect->Enabled());
  tk.Advance(3100);
  EXPECT_EQ(reader->Count("VR"), 1);
}

TEST_F(Checks, HigherToleranceWaitsLonger) {
  loaded.ConnectionCheck = "300";
  StartAndSettle();
  deviceMap.ports.clear();
  tk.Advance(4500);
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(PortCheckFailures, 3);
  tk.Advance(1500);
  ExpectStoppedWithError();
}

TEST_F(Checks, TheTwoChecksNeverExchangeInsideEachOther) {
  // A slow reader that never gives a usable power-on setting keeps the
  // start-up check asking while the connection check asks for "VR".
  reader->answers["SP"] = ReaderFrame("XX");
  reader->delayMs = 700;
  StartConverter();
  tk.Advance(30000);
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(reader->writesWhileAnswerPending, 0);
  EXPECT_GE(reader->Count("SP"), 8);
  EXPECT_GE(reader->Count("VR"), 3);
}

TEST_F(Checks, UserStopDuringAWaitEndsTheCheck) {
  reader->answers.erase("SP");
  loaded.ConnectionCheck = "000";
  StartConverter();
  // Stop is clicked while the start-up check waits for the "SP" answer.
  tk.At(1500, [this] { main->mnuStop->Click(); });
  tk.Advance(10000);
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  EXPECT_TRUE(tk.boxes.empty());
}

}  // namespace
}  // namespace km27::test
