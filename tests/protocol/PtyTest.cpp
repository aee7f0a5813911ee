// The engine over the POSIX port layer and a pseudo-terminal, with the reader
// simulator on the other side; and the whole road from a swipe to key events.
#include "tests/protocol/PtyFixture.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27::test {
namespace {

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(reader.Ready()) << "km27sim did not start: " << SimProcess::Program();
    ASSERT_TRUE(reader.comm->OpenPort(false));
  }
  SimulatedReader reader{5};
  TfrmComm& comm() { return *reader.comm; }
};

TEST_F(PtyTest, VersionRoundTrip) {
  comm().SendCommand("VR");
  const ByteString answer = comm().WaitResponse(1000);
  ASSERT_EQ(answer.size(), 21u);
  EXPECT_EQ(answer.substr(0, 3), "\x02VR");
  EXPECT_EQ(answer.substr(3, 10), "KM27 V1.10");
  EXPECT_TRUE(comm().CheckBcc(answer));
  EXPECT_TRUE(reader.SimReceived(ByteString("\x02VR\x03\x07", 5)));
}

TEST_F(PtyTest, CardReadArrivesAndIsAcknowledged) {
  ASSERT_EQ(reader.sim->Command("swipe 0:1234567890 1: 0:ABC").substr(0, 2), "OK");
  ASSERT_TRUE(reader.tk.PumpUntil([&] { return !reader.statusTexts.empty(); }, 2000));
  EXPECT_EQ(reader.statusTexts[0], "Read Response");
  EXPECT_EQ(CardData.TrackStatus[1], "0");
  EXPECT_EQ(CardData.TrackData[1], "1234567890");
  EXPECT_EQ(CardData.TrackStatus[2], "1");
  EXPECT_EQ(CardData.TrackData[3], "ABC");
  EXPECT_EQ(CardData.SeparatorCount, 2);
  EXPECT_TRUE(reader.SimReceived("\x06"));
}

TEST_F(PtyTest, WrongBlockCheckIsAnsweredWithNak) {
  ASSERT_EQ(reader.sim->Command("badbcc CR00123").substr(0, 2), "OK");
  EXPECT_TRUE(reader.SimReceived("\x15"));
  EXPECT_EQ(comm().NakCount(), 1);
  EXPECT_TRUE(reader.statusTexts.empty());
}

TEST_F(PtyTest, VanishingPort) {
  ASSERT_EQ(reader.sim->Command("vanish").substr(0, 2), "OK");
  comm().SendCommand("VR");
  EXPECT_EQ(comm().WaitResponse(300), "");
  comm().ClosePort();
  EXPECT_FALSE(comm().OpenPort(false));
  EXPECT_TRUE(reader.tk.boxes.empty());
  // The reader comes back: the same port opens and answers again.
  ASSERT_EQ(reader.sim->Command("reconnect").substr(0, 2), "OK");
  ASSERT_TRUE(comm().OpenPort(true));
  comm().SendCommand("VR");
  EXPECT_EQ(comm().WaitResponse(1000).substr(0, 3), "\x02VR");
}

TEST_F(PtyTest, LineNoiseLeavesTheEngineWorking) {
  // 100 random bytes take about 100 ms at 9600 bit/s; then the frame ends.
  ASSERT_EQ(reader.sim->Command("random 100 7").substr(0, 2), "OK");
  reader.tk.Advance(500);
  comm().SendCommand("VR");
  EXPECT_EQ(comm().WaitResponse(1000).substr(0, 3), "\x02VR");
}

// A swipe that lands on the reader check: the reader sends a card read and
// the "VR" answer back to back, well inside one frame's silence.
TEST_F(PtyTest, SwipeLandingOnTheVersionAnswer) {
  FakeKeyInjector keys;
  CardData.Tracks = CardData.TrackUse = "1000";
  KeyData.Terminator = "[ENTER]";
  KeyData.BlockNum = 1;
  KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}};
  gRunning = true;
  FirmwareCheckFailures = 1;
  ASSERT_EQ(reader.sim->Command("before VR swipe 0:4711").substr(0, 2), "OK");
  comm().SendCommand("VR");
  const ByteString answer = comm().WaitResponse(1000);
  EXPECT_EQ(answer.substr(0, 3), "\x02VR");
  EXPECT_TRUE(comm().CheckBcc(answer));
  EXPECT_TRUE(reader.tk.PumpUntil([&] { return !keys.Events().empty(); }, 2000));
  reader.tk.Advance(50);
  EXPECT_EQ(keys.TypedText(), "4711\r\n");
  EXPECT_TRUE(reader.SimReceived("\x06"));
  EXPECT_EQ(comm().NakCount(), 0);
  EXPECT_EQ(FirmwareCheckFailures, 0);
  gRunning = false;
}

// The ACK of a card read is still queued (the line takes nothing for now)
// when the next command goes out: it must not be thrown away with the
// output, or the reader sends the read again.
TEST_F(PtyTest, AcknowledgementQueuedWhenACommandFollowsIsSent) {
  TCustomCommX& port = comm().CommX1();
  port.SetTimeOutTrans(30000);
  port.SetBufLenTrans(32768);
  ASSERT_EQ(reader.sim->Command("silent on"), "OK silent on");
  ASSERT_EQ(reader.sim->Command("stall on"), "OK stall on");
  // More than the pseudo-terminal holds: frames the silent reader ignores.
  ByteString filler;
  while (filler.size() < 256 * 1024) filler += ByteString("\x02Z") + ByteString(4000, 'x') + "\x03Y";
  comm().SendData(filler);
  ASSERT_FALSE(port.FlushTransmit(200)) << "the line still takes everything";
  ASSERT_EQ(reader.sim->Command("swipe 0:1").substr(0, 2), "OK");
  ASSERT_TRUE(reader.tk.PumpUntil([&] { return !reader.statusTexts.empty(); }, 2000));
  comm().SendCommand("VR");
  ASSERT_EQ(reader.sim->Command("stall off"), "OK stall off");
  EXPECT_EQ(reader.sim->Command("wait-rx 06 02 56 52 03 07 10000"), "OK");
  // Nothing queued was thrown away: all of it, the ACK, then the command.
  const std::string got = reader.sim->Received();
  EXPECT_EQ(got.size(), filler.size() + 6);
  EXPECT_EQ(got.find('\x06'), filler.size());
}

// The port is opened again (the reader check's reopen) while a frame is
// half in: the next answer is a frame of its own, not the tail of that one.
TEST_F(PtyTest, ReopenInTheMiddleOfAFrameSplicesNothing) {
  Serial.ReciveBuffTime = 1500;  // the half frame cannot end by silence meanwhile
  ASSERT_EQ(reader.sim->Command("raw 02 43 52 30").substr(0, 2), "OK");
  ASSERT_TRUE(reader.tk.PumpUntil([&] { return comm().FrameBytesPending() == 4; }, 2000));
  ASSERT_TRUE(comm().OpenPort(false));
  EXPECT_EQ(comm().FrameBytesPending(), 0u);
  comm().SendCommand("VR");
  const ByteString answer = comm().WaitResponse(4000);
  EXPECT_EQ(answer.substr(0, 3), "\x02VR");
  EXPECT_EQ(answer.size(), 21u);
  EXPECT_EQ(comm().NakCount(), 0);
}

// A swipe typed through the whole chain: simulator, pseudo-terminal, port
// layer, engine, decoder, output driver, key-data format, fake injector.
TEST_F(PtyTest, SwipeBecomesKeyEvents) {
  FakeKeyInjector keys;
  CardData.Tracks = "1110";
  CardData.TrackUse = "1110";
  KeyData.Header = "#";
  KeyData.TrackSeparator = "[TAB]";
  KeyData.Terminator = "[ENTER]";
  KeyData.BlockNum = 3;
  KeyData.Blocks = {TBlockData{1, false, 2, 3, "", ""}, TBlockData{2, true, 0, 0, "x", "y"},
                    TBlockData{3, true, 0, 0, "", ""}};
  gRunning = true;
  ASSERT_EQ(reader.sim->Command("swipe 0:12345 0:ab 3:zz").substr(0, 2), "OK");
  ASSERT_TRUE(reader.tk.PumpUntil([&] { return !keys.Events().empty() && !comm().tmrSendKeyData->Enabled(); }, 2000));
  reader.tk.Advance(50);
  EXPECT_EQ(keys.Describe(),
            "+SHIFT +3 -3 -SHIFT +2 -2 +3 -3 +4 -4 +TAB -TAB +X -X +A -A +B -B +Y -Y +TAB -TAB +ENTER -ENTER");
  EXPECT_EQ(keys.TypedText(), "#234\txaby\t\r\n");
}

}  // namespace
}  // namespace km27::test
