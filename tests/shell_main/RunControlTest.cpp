// Start, Stop, showing and hiding the main window.
#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/shell_main/MainFixture.h"
#include "tests/support/FakeForegroundWindow.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27::test {
namespace {

using RunControl = MainFixture;

TEST_F(RunControl, StartWithAMissingPortReportsAndStaysStopped) {
  CreateMain();
  RunStartup();
  gstrSerialConnectError = "COM<COM> cannot be opened";
  Serial.Port = 7;
  reader->failOpen = true;
  main->spbStart->SetDown(true);  // pressed by the click
  tk.boxes.clear();

  FakeToolkit::Click(*main, "spbStart");

  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "COM7 cannot be opened");
  EXPECT_FALSE(gRunning);
  EXPECT_TRUE(main->actStart->Enabled());
  EXPECT_TRUE(main->spbStart->Enabled());
  EXPECT_FALSE(main->spbStart->Down());
  EXPECT_FALSE(main->actStop->Enabled());
  EXPECT_FALSE(main->spbStop->Enabled());
  EXPECT_FALSE(main->mnuStop->Enabled());
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 0);
  EXPECT_TRUE(main->Showing());
  EXPECT_FALSE(main->actShowMain->Enabled());
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  EXPECT_FALSE(main->tmrCheckConnect->Enabled());
  EXPECT_FALSE(main->ShownWhileRunning());
}

TEST_F(RunControl, StartAndStopSwitchIconsBalloonsButtonsAndTimers) {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(main->Showing());
  gstrTackBar2 = "in the tray";
  size_t before = Balloons().size();

  FakeToolkit::Click(*main, "spbStart");

  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 1);
  EXPECT_FALSE(main->actStart->Enabled());
  EXPECT_TRUE(main->actStop->Enabled());
  EXPECT_TRUE(main->tmrCheckSPST->Enabled());
  EXPECT_TRUE(main->tmrCheckConnect->Enabled());
  // Hidden to the tray, with the start balloon and then the resident one.
  EXPECT_FALSE(main->Showing());
  EXPECT_TRUE(main->actShowMain->Enabled());
  EXPECT_FALSE(main->actHideMain->Enabled());
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), before + 2);
  EXPECT_EQ(balloons[before], std::make_pair(gstrStart, std::string(" ")));
  EXPECT_EQ(balloons[before + 1], std::make_pair(gstrStart, std::string("KM-27 resident\rin the tray")));
  const TrayIconData& shown = FakeTrayPeer::Of(main->CoolTrayIcon1()).current;
  EXPECT_EQ(shown.balloonIcon, 1);
  EXPECT_EQ(shown.balloonTimeoutMs, 10000u);

  // Shown while running, then hidden again: the plain resident balloon.
  main->mnuShowMain->Click();
  EXPECT_TRUE(main->ShownWhileRunning());
  main->mnuHideMain->Click();
  EXPECT_EQ(Balloons().back(), std::make_pair(std::string("KM-27 resident"), std::string("in the tray")));

  main->mnuStop->Click();
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(reader->IsOpen());
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 0);
  EXPECT_EQ(Balloons().back(), std::make_pair(gstrStop, std::string(" ")));
  EXPECT_TRUE(main->actStart->Enabled());
  EXPECT_TRUE(main->spbStart->Enabled());
  EXPECT_FALSE(main->actStop->Enabled());
  EXPECT_FALSE(main->spbStop->Enabled());
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  EXPECT_FALSE(main->tmrCheckConnect->Enabled());
  EXPECT_FALSE(main->Showing());  // Stop leaves the window where it is
}

TEST_F(RunControl, StopThatRaisesKeepsTheConverterMarkedRunning) {
  StartConverter();
  tk.boxes.clear();
  size_t balloons = Balloons().size();
  reader->closeError = "Close error.";

  main->mnuStop->Click();

  // The error's own text in a plain box; no stop balloon.
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Close error.");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::None);
  EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OK);
  EXPECT_EQ(Balloons().size(), balloons);
  // The port is still open: the converter runs on, and says so.
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 1);
  EXPECT_TRUE(main->actStop->Enabled());
  EXPECT_FALSE(main->actStart->Enabled());
  EXPECT_TRUE(main->tmrCheckSPST->Enabled());
  EXPECT_TRUE(main->tmrCheckConnect->Enabled());

  // Closing works again: the converter stops.
  reader->closeError.clear();
  main->mnuStop->Click();
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(reader->IsOpen());
  EXPECT_TRUE(main->actStart->Enabled());
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  EXPECT_FALSE(main->tmrCheckConnect->Enabled());
}

TEST_F(RunControl, StartChosenWhileTheOpenErrorIsUpStands) {
  CreateMain();
  RunStartup();
  reader->failOpen = true;
  // While the error box is up the reader is plugged in and Start chosen from the tray.
  tk.WhileNextBoxUp([this] {
    reader->failOpen = false;
    main->mnuStart->Click();
  });
  FakeToolkit::Click(*main, "spbStart");
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_TRUE(gRunning);
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 1);
  EXPECT_TRUE(main->actStop->Enabled());
  EXPECT_FALSE(main->actStart->Enabled());
  EXPECT_TRUE(main->tmrCheckSPST->Enabled());
  EXPECT_TRUE(main->tmrCheckConnect->Enabled());
  EXPECT_FALSE(main->Showing());
}

TEST_F(RunControl, StartBeginsTheReaderChecksWithNoFailuresCounted) {
  CreateMain();
  RunStartup();
  PortCheckFailures = LineCheckFailures = FirmwareCheckFailures = 5;
  FirmwareCheckTick = StartupCheckFailures = 2;

  FakeToolkit::Click(*main, "spbStart");

  ASSERT_TRUE(gRunning);
  EXPECT_EQ(PortCheckFailures + LineCheckFailures + FirmwareCheckFailures, 0);
  EXPECT_EQ(FirmwareCheckTick + StartupCheckFailures, 0);
}

TEST_F(RunControl, SwitchedOffConnectionCheckIsNotStarted) {
  loaded.ConnectionCheck = "000";
  StartConverter();
  EXPECT_TRUE(main->tmrCheckSPST->Enabled());
  EXPECT_FALSE(main->tmrCheckConnect->Enabled());
}

TEST_F(RunControl, ReadForAProgramRunningAsAdministratorBringsABalloon) {
  StartConverter();
  FakeForegroundWindow front;
  FakeKeyInjector keys;
  CardData.Tracks = CardData.TrackUse = "1000";
  KeyData.BlockNum = 1;
  KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}};
  front.elevated = true;
  reader->Deliver(ReaderFrame("CR0042"));
  tk.Advance(200);
  EXPECT_EQ(Balloons().back(), std::make_pair(std::string(TfrmMain::kApplicationTitle), gstrElevatedTarget));
  EXPECT_EQ(keys.TypedText(), "42");
}

TEST_F(RunControl, MinimisingHidesToTheTray) {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(main->Showing());
  main->Minimize();
  EXPECT_FALSE(main->Showing());
  EXPECT_TRUE(main->actShowMain->Enabled());
  EXPECT_FALSE(main->actHideMain->Enabled());
  main->actShowMain->Execute();
  EXPECT_TRUE(main->Showing());
  EXPECT_FALSE(main->Minimized());
}

TEST_F(RunControl, DecodedStatusTextsGoToTheResponseLabel) {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(comm->OnStatusText);
  comm->OnStatusText("Read OK");
  EXPECT_EQ(main->lblResponse->Caption(), "Read OK");
}

}  // namespace
}  // namespace km27::test
