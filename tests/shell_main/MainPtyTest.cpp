// The main window against the reader simulator on a pseudo-terminal, on the
// real clock: Start, the start-up check switching the power-on setting, and
// the connection check noticing an unplugged reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "device/Comm.h"
#include "device/posix/PortsDirectory.h"
#include "device/posix/PosixCommX.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/Main.h"
#include "tests/serial/SimProcess.h"
#include "tests/support/FakeTrayPeer.h"
#include "tests/support/RealTimeToolkit.h"

namespace km27::test {
namespace {

struct TempDir {
  std::string path;
  TempDir() {
    char tmpl[] = "/tmp/km27-main-XXXXXX";
    const char* made = mkdtemp(tmpl);
    path = made ? made : "/tmp";
  }
  ~TempDir() {
    std::error_code ec;
    if (path != "/tmp") std::filesystem::remove_all(path, ec);
  }
};

class MainPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    General.WizardStatus = "111";
    // A pseudo-terminal has no modem lines: port and reader checks only.
    General.ConnectionCheck = "101";
    Serial.Port = 9;
    SetSerialDeviceDirectory(dir.path);
    SetSerialDeviceMap(&deviceMap);
    sim = std::make_unique<SimProcess>(dir.path, 9);
    ASSERT_TRUE(sim->Ready()) << "km27sim did not start: " << SimProcess::Program();
    comm = std::make_unique<TfrmComm>(std::make_unique<TCommX>());
    frmComm = comm.get();
    main = std::make_unique<TfrmMain>(TMainServices{});
    frmMain = main.get();
    main->tmrStartupTimer();  // settings as set above; shows the window
    ASSERT_TRUE(main->Showing());
  }
  void TearDown() override {
    main.reset();
    frmMain = nullptr;
    comm.reset();
    frmComm = nullptr;
    sim.reset();
    SetSerialDeviceMap(nullptr);
    ResetSettingsToBuiltIn();
  }

  RealTimeToolkit tk;
  FakeTrayPeer::Installation trayInstallation;
  TempDir dir;
  DirectorySerialDeviceMap deviceMap{dir.path};
  std::unique_ptr<SimProcess> sim;
  std::unique_ptr<TfrmComm> comm;
  std::unique_ptr<TfrmMain> main;
};

TEST_F(MainPty, StartSwitchesPowerOnSettingThenLosesTheUnpluggedReader) {
  main->actStart->Execute();
  ASSERT_TRUE(gRunning) << (tk.boxes.empty() ? std::string() : tk.boxes[0].text);
  ASSERT_FALSE(main->Showing());
  ASSERT_TRUE(tk.PumpUntil([] { return gSPSettingChanged; }, 5000));
  EXPECT_TRUE(gConnectChecked);
  EXPECT_EQ(General.SPSetting, "SP0FF");
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  EXPECT_TRUE(tk.boxes.empty());  // the window is hidden: a balloon
  std::string received = sim->Received();
  EXPECT_NE(received.find(FromHex("02 53 50 31 46 46 03")), std::string::npos) << received;  // "SP1FF"
  EXPECT_NE(received.find(FromHex("02 50 52 03")), std::string::npos) << received;            // "PR"

  ASSERT_EQ(sim->Command("vanish").substr(0, 2), "OK");
  ASSERT_TRUE(tk.PumpUntil([] { return !gRunning; }, 8000));
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Test result : Error");
  EXPECT_TRUE(main->Showing());
  EXPECT_TRUE(main->actStart->Enabled());
  EXPECT_FALSE(comm->CommX1().IsOpen());
}

}  // namespace
}  // namespace km27::test
