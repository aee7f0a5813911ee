// The communication monitor under the fake toolkit: dump format, plain-text
// mode, greeting, Enter-to-send and logging only while showing.
#include <gtest/gtest.h>

#include "device/Comm.h"
#include "settings/Messages.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/FakeToolkit.h"

namespace km27 {
namespace {

using test::FakeCommPort;
using test::FakeToolkit;

class Monitor : public ::testing::Test {
 protected:
  Monitor() : port(new FakeCommPort), comm(std::unique_ptr<TCustomCommX>(port)) {}
  std::vector<std::string> Lines() const { return comm.memMonitor->Lines(); }
  FakeToolkit tk;
  FakeCommPort* port;
  TfrmComm comm;
};

TEST_F(Monitor, ComponentsAndInitialState) {
  EXPECT_EQ(comm.Name(), "frmComm");
  EXPECT_EQ(comm.Caption(), "Communication Monitor");
  EXPECT_EQ(comm.ClientWidth, 628);
  EXPECT_EQ(comm.ClientHeight, 336);
  for (const char* name : {"lblMgr", "memMonitor", "chkType", "Label2", "btnClear", "btnClose", "tmrOpen",
                           "Timer1", "tmrSendKeyData"})
    EXPECT_NE(comm.FindComponent(name), nullptr) << name;
  EXPECT_EQ(comm.Find<ui::Memo>("MEMMONITOR"), comm.memMonitor);
  EXPECT_TRUE(comm.chkType->Checked());
  EXPECT_EQ(comm.chkType->Caption(), "HEX+ASCII");
  EXPECT_EQ(comm.lblMgr->Caption(), TfrmComm::kHexHeader);
  EXPECT_EQ(comm.Label2->Caption(), "Note  Dir: SD=Send data,  RD=Received data");
  EXPECT_EQ(comm.btnClear->Caption(), "Clear");
  EXPECT_EQ(comm.btnClose->Caption(), "Close");
  EXPECT_EQ(comm.memMonitor->GetFont().name, "Courier New");
  EXPECT_EQ(comm.memMonitor->GetFont().height, 13);
  EXPECT_EQ(comm.lblMgr->GetFont().name, "Courier New");
  EXPECT_EQ(comm.btnClose->EffectiveFont().name, "Tahoma");
  EXPECT_EQ(comm.tmrOpen->Interval(), 500u);
  EXPECT_FALSE(comm.tmrOpen->Enabled());
  EXPECT_EQ(comm.Timer1->Interval(), 0u);
  EXPECT_FALSE(comm.Timer1->Running());
  EXPECT_EQ(comm.tmrSendKeyData->Interval(), 10u);
  EXPECT_FALSE(comm.tmrSendKeyData->Enabled());
  EXPECT_FALSE(comm.Showing());
  EXPECT_TRUE(comm.memMonitor->Text().empty());
  EXPECT_TRUE(static_cast<bool>(port->OnReceive));
  // Every control lies inside the client area.
  for (const auto& c : comm.Components()) {
    auto* ctl = dynamic_cast<ui::Control*>(c.get());
    if (!ctl) continue;
    const ui::Rect& r = ctl->Bounds();
    EXPECT_GE(r.left, 0) << ctl->Name();
    EXPECT_LE(r.left + r.width, 628) << ctl->Name();
    EXPECT_LE(r.top + r.height, 336) << ctl->Name();
  }
}

TEST_F(Monitor, DumpOfSixteenAndSeventeenBytes) {
  comm.Show();
  std::string sixteen = "0123456789ABCDEF";
  comm.LogFrame(sixteen, Direction::Received);
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0],
            "RD : 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46    0123456789ABCDEF");

  comm.btnClearClick();
  comm.LogFrame(sixteen + "\x7F", Direction::Sent);
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].substr(0, 8), "SD : 30 ");
  std::string second = "     7F" + std::string(45, ' ') + "    ." + std::string(15, ' ');
  EXPECT_EQ(Lines()[1], second);
  for (const auto& l : Lines()) EXPECT_EQ(l.size(), 72u);
}

TEST_F(Monitor, DumpOfTheVrCommandAndThePrintableRange) {
  comm.Show();
  comm.LogFrame(std::string("\x02VR\x03\x07", 5), Direction::Sent);
  std::string want = "SD : 02 56 52 03 07" + std::string(33, ' ') + "    " + ".VR.." + std::string(11, ' ');
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0], want);

  comm.btnClearClick();
  std::string bytes;
  bytes += '\0';
  bytes += "\x1F\x20\x7E\x7F\x80\xFF";
  comm.LogFrame(bytes, Direction::Received);
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0].substr(0, 25), "RD : 00 1F 20 7E 7F 80 FF");
  EXPECT_EQ(Lines()[0].substr(56, 7), ".. ~...");

  comm.btnClearClick();
  comm.DumpHex("", Direction::Received);  // an empty frame adds nothing
  EXPECT_TRUE(comm.memMonitor->Text().empty());
}

TEST_F(Monitor, PlainTextModeAndTheHeaderSwitch) {
  comm.Show();
  comm.LogFrame("AB", Direction::Received);
  FakeToolkit::Click(comm, "chkType");
  EXPECT_FALSE(comm.chkType->Checked());
  EXPECT_EQ(comm.lblMgr->Caption(), TfrmComm::kTextHeader);
  comm.LogFrame(std::string("\x02VR0100\x03", 8), Direction::Received);
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].substr(0, 4), "RD :");  // the earlier line stays as it was
  EXPECT_EQ(Lines()[0].size(), 72u);
  EXPECT_EQ(Lines()[1], std::string("RD :\x02VR0100\x03", 12));
  FakeToolkit::Click(comm, "chkType");
  EXPECT_EQ(comm.lblMgr->Caption(), TfrmComm::kHexHeader);
  EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(Monitor, HiddenWindowLogsNothing) {
  comm.LogFrame("AB", Direction::Received);
  comm.AddMonitorLine("< BccCheck NG >");
  EXPECT_TRUE(comm.memMonitor->Text().empty());
  comm.Show();
  comm.AddMonitorLine("< BccCheck NG >");
  comm.Hide();
  comm.LogFrame("AB", Direction::Received);
  EXPECT_EQ(Lines(), std::vector<std::string>{"< BccCheck NG >"});  // kept while hidden
}

TEST_F(Monitor, FullLogStartsOverAndLosesTheLine) {
  comm.Show();
  comm.memMonitor->Capacity = 40;
  comm.AddMonitorLine("0123456789");        // 12 bytes
  comm.AddMonitorLine("0123456789");        // 24
  comm.AddMonitorLine("0123456789ABCDEF");  // 42 > 40: emptied, line lost
  EXPECT_TRUE(comm.memMonitor->Text().empty());
  comm.AddMonitorLine("next");
  EXPECT_EQ(Lines(), std::vector<std::string>{"next"});
}

TEST_F(Monitor, GreetingHalfASecondAfterShowingIntoAnEmptyLogOnly) {
  comm.Show();
  tk.Advance(499);
  EXPECT_TRUE(comm.memMonitor->Text().empty());
  tk.Advance(1);
  EXPECT_EQ(comm.memMonitor->Text(), "Only showing\r\n");
  EXPECT_FALSE(comm.tmrOpen->Enabled());
  tk.Advance(5000);
  EXPECT_EQ(comm.memMonitor->Text(), "Only showing\r\n");  // once per showing

  FakeToolkit::Click(comm, "btnClose");
  EXPECT_FALSE(comm.Showing());
  comm.Show();
  tk.Advance(600);
  EXPECT_EQ(comm.memMonitor->Text(), "Only showing\r\n");  // the log was not empty

  std::string saved = gstrCommMonitor_Note;
  gstrCommMonitor_Note = "Nur Anzeige";
  FakeToolkit::Click(comm, "btnClear");
  comm.Hide();
  comm.Show();
  tk.Advance(500);
  EXPECT_EQ(comm.memMonitor->Text(), "Nur Anzeige\r\n");
  gstrCommMonitor_Note = saved;
}

TEST_F(Monitor, CloseOnlyHidesAndClearEmpties) {
  comm.Show();
  comm.AddMonitorLine("x");
  FakeToolkit::Click(comm, "btnClear");
  EXPECT_TRUE(comm.memMonitor->Text().empty());
  FakeToolkit::Click(comm, "btnClose");
  EXPECT_FALSE(comm.Showing());
  comm.Show();
  EXPECT_TRUE(comm.Showing());
}

TEST_F(Monitor, EnterSendsTheLastLineWithCrLf) {
  port->Open();
  comm.Show();
  comm.chkType->SetChecked(false);
  comm.AddMonitorLine("RD :something");
  FakeToolkit::Type(comm, "memMonitor", "ABC");
  EXPECT_EQ(comm.memMonitor->Text(), "RD :something\r\nABC");
  port->ClearRecord();
  FakeToolkit::Type(comm, "memMonitor", "\r");
  ASSERT_FALSE(port->writes.empty());
  EXPECT_EQ(port->WrittenBytes().substr(0, 5), "ABC\r\n");
  std::vector<std::string> lines = Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "ABC");  // the key became a line break
  EXPECT_EQ(lines[2], "SD :ABC");  // the sent bytes are logged (plain text)
}

TEST_F(Monitor, OtherKeysEditTheLogAsText) {
  comm.Show();
  FakeToolkit::Type(comm, "memMonitor", "AB\bC");
  EXPECT_EQ(comm.memMonitor->Text(), "AC");
  EXPECT_TRUE(port->writes.empty());
}

}  // namespace
}  // namespace km27
