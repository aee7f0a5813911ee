// The exchange with the reader on the virtual clock: opening, sending,
// frames cut by silence, the RDLS-3 replies and waiting for an answer.
#include "tests/protocol/CommFixture.h"

namespace km27::test {
namespace {

class EngineTest : public CommFixture {};

TEST_F(EngineTest, OpenPortAppliesSettingsInOrder) {
  Serial.Port = 7;
  Serial.BaudRate = 19200;
  Serial.DataBits = 7;
  Serial.Parity = 2;
  Serial.StopBit = 2;
  Serial.FlowControl = 1;
  ASSERT_TRUE(comm->OpenPort(true));
  const std::vector<std::string> expected = {"Close", "ClearTransmit", "ClearReceive", "Open"};
  EXPECT_EQ(port->calls, expected);
  EXPECT_EQ(port->PortNo(), 7);
  EXPECT_EQ(port->BitRate(), 19200);
  EXPECT_EQ(port->CharSize(), 7);
  EXPECT_EQ(port->ParityBit(), cpbOdd);
  EXPECT_EQ(port->StopBit(), csb2);
  EXPECT_EQ(port->FlowCtrl(), cfcRtsCts);
  // Values without a meaning leave the component's setting as it is.
  Serial.Parity = 5;
  Serial.StopBit = 0;
  Serial.FlowControl = 3;
  comm->ApplyPortSettings();
  EXPECT_EQ(port->ParityBit(), cpbOdd);
  EXPECT_EQ(port->StopBit(), csb2);
  EXPECT_EQ(port->FlowCtrl(), cfcRtsCts);
  Serial.Parity = 0;
  Serial.FlowControl = 0;
  comm->ApplyPortSettings();
  EXPECT_EQ(port->ParityBit(), cpbNone);
  EXPECT_EQ(port->FlowCtrl(), cfcNone);
  EXPECT_TRUE(tk.boxes.empty());
  comm->ClosePort();
  EXPECT_FALSE(port->IsOpen());
}

TEST_F(EngineTest, OpenFailureWarnsOnlyWhenAsked) {
  comm->ClosePort();
  port->failOpen = true;
  Serial.Port = 12;
  EXPECT_FALSE(comm->OpenPort(false));
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_FALSE(comm->OpenPort(true));
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "* Open error. COM");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Warning);
  EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OK);
  gstrSerialConnectError = "COM<COM> is busy.\\nTry <COM> later.";
  EXPECT_FALSE(comm->OpenPort(true));
  EXPECT_EQ(tk.boxes.back().text, "COM12 is busy.\r\nTry 12 later.");
  EXPECT_FALSE(port->IsOpen());
}

TEST_F(EngineTest, FramesEndBySilence) {
  Serial.ReciveBuffTime = 80;
  const ByteString f = Frame("CR00123");
  // Pieces 50 ms apart join; the frame ends 80 ms after the last one.
  port->Deliver(f.substr(0, 2));
  tk.Advance(50);
  port->Deliver(f.substr(2, 3));
  tk.Advance(50);
  port->Deliver(f.substr(5, 3));
  tk.Advance(79);
  EXPECT_TRUE(statusTexts.empty());
  port->Deliver(f.substr(8));
  tk.Advance(79);
  EXPECT_TRUE(statusTexts.empty());
  tk.Advance(1);
  EXPECT_EQ(statusTexts, std::vector<std::string>{"Read Response"});
  EXPECT_EQ(CardData.TrackData[1], "123");

  // A gap of 100 ms splits: neither piece passes the check.
  port->ClearRecord();
  port->Deliver(f.substr(0, 4));
  tk.Advance(100);
  port->Deliver(f.substr(4));
  tk.Advance(100);
  EXPECT_EQ(port->writes, (std::vector<ByteString>{Bytes({0x15}), Bytes({0x15})}));
  EXPECT_EQ(comm->NakCount(), 2);
}

TEST_F(EngineTest, Rdls3NakSequenceAndReset) {
  ByteString bad = Frame("CR00123");
  bad.back() ^= 0x55;
  Receive(bad);
  Receive(bad);
  Receive(bad);
  EXPECT_EQ(port->writes, (std::vector<ByteString>{Bytes({0x15}), Bytes({0x15}), Bytes({0x10})}));
  EXPECT_EQ(comm->NakCount(), 0);
  EXPECT_TRUE(statusTexts.empty());  // not decoded

  port->ClearRecord();
  Receive(bad);
  Receive(Frame("VR12345678901"));  // good, not acknowledged: resets the count
  Receive(bad);
  Receive(bad);
  EXPECT_EQ(port->writes, (std::vector<ByteString>{Bytes({0x15}), Bytes({0x15}), Bytes({0x15})}));
  EXPECT_EQ(comm->NakCount(), 2);

  // The count survives a reopen of the port.
  ASSERT_TRUE(comm->OpenPort(false));
  port->ClearRecord();
  Receive(bad);
  EXPECT_EQ(port->writes, std::vector<ByteString>{Bytes({0x10})});
}

TEST_F(EngineTest, Rdls3AcknowledgesBeforeDecoding) {
  size_t writesAtStatus = 0;
  comm->OnStatusText = [&](const std::string&) { writesAtStatus = port->writes.size(); };
  Receive(Frame("CR00123"));
  ASSERT_EQ(port->writes, std::vector<ByteString>{Bytes({0x06})});
  EXPECT_EQ(writesAtStatus, 1u);
  port->ClearRecord();
  for (const char* code : {"CW0", "AE01", "DH01"}) Receive(Frame(code));
  EXPECT_EQ(port->writes.size(), 3u);
  port->ClearRecord();
  for (const char* code : {"VR1234567890", "NG001", "PS0", "ID1"}) Receive(Frame(code));
  Receive(Bytes({0x06}));
  EXPECT_TRUE(port->writes.empty());
}

TEST_F(EngineTest, OtherProtocolVariants) {
  ByteString bad = Frame("CR00123");
  bad.back() ^= 0x55;
  General.ProtocolNo = 0;  // checked, but decoded anyway and never answered
  Receive(bad);
  Receive(Frame("CR00456"));
  EXPECT_TRUE(port->writes.empty());
  EXPECT_EQ(statusTexts.size(), 2u);
  EXPECT_EQ(CardData.TrackData[1], "456");
  General.ProtocolNo = 1;  // no check, no answer
  Receive(bad);
  EXPECT_TRUE(port->writes.empty());
  EXPECT_EQ(CardData.TrackData[1], "123");
  // A variant number without a meaning of its own is handled like RDLS-1.
  ByteString other = Frame("CR00789");
  other.back() ^= 0x55;
  General.ProtocolNo = 2;
  Receive(other);
  EXPECT_TRUE(port->writes.empty());
  EXPECT_EQ(comm->NakCount(), 0);
  EXPECT_EQ(CardData.TrackData[1], "789");
  General.ProtocolNo = 3;
  Receive(bad);
  EXPECT_EQ(port->writes, std::vector<ByteString>{Bytes({0x15})});
}

TEST_F(EngineTest, FooterOnEverySentItem) {
  CommFormat.Footer = "\r";
  comm->SendCommand("VR");
  Receive(Frame("CR00123"));
  ByteString bad = Frame("CR00123");
  bad.back() ^= 0x55;
  Receive(bad);
  comm->SendData("ABC\r\n");
  // Received frames carry the footer after their BCC only when the reader
  // sends one; these do not, so the check runs over the bare frame.
  EXPECT_EQ(port->writes, (std::vector<ByteString>{Bytes({0x02, 'V', 'R', 0x03, 0x07, 0x0D}), Bytes({0x06, 0x0D}),
                                                   Bytes({0x15, 0x0D}), ByteString("ABC\r\n\r")}));
}

TEST_F(EngineTest, MonitorShowsTheExchangeInOrder) {
  Receive(Frame("VR"));  // hidden: nothing is logged
  comm->Show();
  comm->chkType->SetChecked(false);
  comm->SendCommand("VR");
  ByteString bad = Frame("CR00123");
  bad.back() ^= 0x55;
  Receive(bad);
  Receive(Frame("CR00123"));
  const std::vector<std::string> expected = {
      "SD :" + Frame("VR"), "RD :" + bad, "< BccCheck NG >", "SD :\x15",
      "RD :" + Frame("CR00123"), "SD :\x06"};
  EXPECT_EQ(comm->memMonitor->Lines(), expected);
  // A frame that fails while the monitor is hidden leaves no trace.
  comm->Hide();
  Receive(bad);
  EXPECT_EQ(comm->memMonitor->Lines(), expected);
}

TEST_F(EngineTest, WaitResponseReturnsTheFirstFrame) {
  tk.At(30, [&] { port->Deliver(Bytes({0x06})); });
  const uint64_t start = tk.Now();
  EXPECT_EQ(comm->WaitResponse(1000), Bytes({0x06}));
  EXPECT_EQ(tk.Now() - start, 30u + 80u);
  EXPECT_TRUE(port->writes.empty());  // a lone ACK is not answered

  // A frame that fails the check in RDLS-3 ends the wait too.
  ByteString bad = Frame("VR123");
  bad.back() ^= 0x01;
  tk.At(5, [&] { port->Deliver(bad); });
  EXPECT_EQ(comm->WaitResponse(1000), bad);

  // A frame completing while nobody waits is decoded but not kept.
  Receive(Frame("AE04"));
  tk.At(5, [&] { port->Deliver(Frame("VR1234567890")); });
  EXPECT_EQ(comm->WaitResponse(1000), Frame("VR1234567890"));
}

TEST_F(EngineTest, WaitResponseTimesOutWhileTimersRun) {
  ui::Form other("frmOther");
  auto& tick = other.Make<ui::Timer>("tmrTick", 100, true);
  int ticks = 0;
  tick.OnTimer = [&] { ++ticks; };
  const uint64_t start = tk.Now();
  EXPECT_EQ(comm->WaitResponse(1000), "");
  EXPECT_GE(tk.Now() - start, 1000u);
  EXPECT_LE(tk.Now() - start, 1002u);
  EXPECT_EQ(ticks, 10);
  // A card read arriving inside the wait is handled there; it is no answer.
  tk.At(10, [&] { port->Deliver(Frame("CR00123")); });
  EXPECT_EQ(comm->WaitResponse(1000), "");
  EXPECT_EQ(statusTexts, std::vector<std::string>{"Read Response"});
}

TEST_F(EngineTest, WaitResponseAcrossClockWraps) {
  for (uint64_t t : {uint64_t{0x7FFFFF00}, uint64_t{0xFFFFFF00}}) {
    FakeToolkit wrapped;
    wrapped.SetNow(t);
    FakeCommPort* p = new FakeCommPort;
    TfrmComm c{std::unique_ptr<TCustomCommX>(p)};
    const uint64_t start = wrapped.Now();
    EXPECT_EQ(c.WaitResponse(1000), "");
    EXPECT_GE(wrapped.Now() - start, 1000u) << std::hex << t;
    EXPECT_LE(wrapped.Now() - start, 1002u) << std::hex << t;
  }
}

}  // namespace
}  // namespace km27::test
