// Line noise and misbehaving ports: the engine stays bounded and responsive.
#include <algorithm>
#include <random>

#include "tests/protocol/CommFixture.h"

namespace km27::test {
namespace {

class RobustnessTest : public CommFixture {};

// Noise of every kind, then silence, then a good card read: whatever the
// noise was, the read is a frame of its own, acknowledged as the variant
// wants and decoded with its data.
TEST_F(RobustnessTest, GoodReadAfterRandomNoiseInEveryVariant) {
  std::mt19937 rng(27);
  std::uniform_int_distribution<int> byte(0, 255), length(1, 400), gap(1, 200), coin(0, 3), digit(0, 9);
  for (int protocol : {0, 1, 3}) {
    General.ProtocolNo = protocol;
    for (int i = 0; i < 300; ++i) {
      ByteString noise;
      const int n = length(rng);
      // Sometimes a plausible frame start, so the decoder's paths are reached.
      if (coin(rng) == 0) noise = ByteString("\x02") + (coin(rng) < 2 ? "CR" : "CW");
      while (static_cast<int>(noise.size()) < n) noise.push_back(static_cast<char>(byte(rng)));
      if (coin(rng) == 0) noise = Frame(noise.substr(1));
      port->Deliver(noise);
      tk.Advance(static_cast<uint32_t>(gap(rng)));
      if (coin(rng) != 0) continue;
      std::string data;
      for (int k = 0; k < 8; ++k) data += static_cast<char>('0' + digit(rng));
      tk.Advance(static_cast<uint32_t>(Serial.ReciveBuffTime) + 1);
      port->ClearRecord();
      statusTexts.clear();
      Receive(Frame("CR00" + data));
      ASSERT_EQ(statusTexts, std::vector<std::string>{"Read Response"}) << "protocol " << protocol << ", round " << i;
      EXPECT_EQ(CardData.TrackData[1], data);
      EXPECT_EQ(port->writes, protocol == 3 ? std::vector<ByteString>{Bytes({0x06})} : std::vector<ByteString>{});
    }
  }
}

TEST_F(RobustnessTest, OneByteFrames) {
  for (int b = 0; b < 256; ++b) Receive(ByteString(1, static_cast<char>(b)));
  // A single byte always passes the check and is never answered.
  EXPECT_TRUE(port->writes.empty());
  EXPECT_EQ(comm->NakCount(), 0);
  EXPECT_TRUE(statusTexts.empty());
}

TEST_F(RobustnessTest, StreamThatNeverGoesQuietIsBounded) {
  // 1 KiB every 10 ms for 3 s: 300 KiB without a pause long enough to end a frame.
  const ByteString chunk(1024, 'Z');
  bool ended = false;
  comm->OnStatusText = [&](const std::string&) { ended = true; };
  for (int i = 0; i < 300; ++i) {
    port->Deliver(chunk);
    tk.Advance(10);
  }
  EXPECT_EQ(port->writes.size(), 0u);  // no frame has ended
  // The program stays responsive: a wait ends at its time-out.
  EXPECT_EQ(comm->WaitResponse(50), "");
  EXPECT_EQ(comm->DroppedBytes(), 300u * 1024u - TfrmComm::kReceiveBufferCap);
  // Silence ends the capped frame: one NAK, and the next frame is clean.
  tk.Advance(static_cast<uint32_t>(Serial.ReciveBuffTime));
  EXPECT_EQ(port->writes, std::vector<ByteString>{Bytes({0x15})});
  tk.At(0, [&] { port->Deliver(Frame("VR1234567890")); });
  EXPECT_EQ(comm->WaitResponse(1000), Frame("VR1234567890"));
  EXPECT_FALSE(ended);
}

TEST_F(RobustnessTest, OneHugeArrivalIsCapped) {
  ByteString huge(200000, '\x1F');
  ByteString f = Frame("VR0" + huge);
  tk.At(0, [&] { port->Deliver(f); });
  const ByteString got = comm->WaitResponse(1000);
  EXPECT_EQ(got.size(), TfrmComm::kReceiveBufferCap);
  EXPECT_EQ(got, f.substr(0, TfrmComm::kReceiveBufferCap));
  EXPECT_TRUE(port->Pending().empty());  // everything was taken from the port
}

TEST_F(RobustnessTest, MonitorTellsOfDroppedBytes) {
  comm->Show();
  comm->chkType->SetChecked(false);
  Receive(ByteString(TfrmComm::kReceiveBufferCap + 100, 'Q'));
  const auto lines = comm->memMonitor->Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[lines.size() - 4], "RD :" + ByteString(TfrmComm::kReceiveBufferCap, 'Q'));
  EXPECT_EQ(lines[lines.size() - 3], "< Receive buffer full: 100 bytes dropped >");
  EXPECT_EQ(lines[lines.size() - 2], "< BccCheck NG >");
  // The next frame starts clean.
  Receive(Frame("VR1234567890"));
  EXPECT_EQ(comm->memMonitor->Lines().back(), "RD :" + Frame("VR1234567890"));
}

TEST_F(RobustnessTest, FailingReadBeepsAndKeepsEarlierBytesAFrame) {
  port->Deliver(Frame("CR00123").substr(0, 5));
  tk.Advance(10);
  port->throwOnRead = true;
  port->Deliver("x");
  EXPECT_EQ(tk.beeps, 1);
  port->throwOnRead = false;
  port->failRead = true;
  port->Deliver("y");
  EXPECT_EQ(tk.beeps, 2);
  port->failRead = false;
  // What was collected before still ends by silence and does not join the next frame.
  tk.Advance(static_cast<uint32_t>(Serial.ReciveBuffTime));
  EXPECT_EQ(port->writes, std::vector<ByteString>{Bytes({0x15})});
  port->ClearReceive();
  Receive(Frame("CR00123"));
  EXPECT_EQ(CardData.TrackData[1], "123");
}

TEST_F(RobustnessTest, ArrivalCountAboveWhatThePortHoldsReadsOnce) {
  // A port whose count promised more than it hands out: the handler takes
  // what there is and does not read again (a second read would wait for new
  // bytes on the user-interface thread).
  auto handler = port->OnReceive;
  port->OnReceive = nullptr;
  port->Deliver(Frame("CR00123"));
  port->OnReceive = handler;
  port->ClearRecord();
  comm->CommX1Receive(*port, 5000);
  EXPECT_EQ(std::count(port->calls.begin(), port->calls.end(), "Read"), 1);
  tk.Advance(static_cast<uint32_t>(Serial.ReciveBuffTime));
  EXPECT_EQ(CardData.TrackData[1], "123");
}

TEST_F(RobustnessTest, ZeroSilenceSettingStillEndsFrames) {
  Serial.ReciveBuffTime = 0;
  port->Deliver(Frame("CR00123"));
  tk.Advance(5);
  EXPECT_EQ(CardData.TrackData[1], "123");
}

}  // namespace
}  // namespace km27::test
