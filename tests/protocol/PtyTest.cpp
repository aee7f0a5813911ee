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
