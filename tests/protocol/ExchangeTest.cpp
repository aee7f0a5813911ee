// Card reads that meet the command exchange: a read and an answer at one
// frame end, a read while a command waits, an acknowledgement queued when a
// command follows, and a reopen in the middle of a frame.
#include <algorithm>

#include "tests/protocol/CommFixture.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27::test {
namespace {

class ExchangeTest : public CommFixture {
 protected:
  ExchangeTest() {
    CardData.Tracks = "1000";
    CardData.TrackUse = "1000";
    KeyData.Terminator = "[ENTER]";
    KeyData.BlockNum = 1;
    KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}};
    gRunning = true;
  }
  ~ExchangeTest() override { gRunning = false; }

  const ByteString read = Frame("CR00123");
  const ByteString version = Frame("VRKM27 V1.10261201");
  FakeKeyInjector keys;
};

TEST_F(ExchangeTest, ReadJustBeforeTheVersionAnswerIsTwoFrames) {
  FirmwareCheckFailures = 1;
  comm->SendCommand("VR");
  tk.At(5, [&] { port->Deliver(read + version); });
  EXPECT_EQ(comm->WaitResponse(1000), version);
  tk.Advance(100);
  EXPECT_EQ(keys.TypedText(), "123\r\n");
  EXPECT_EQ(port->writes, (std::vector<ByteString>{Frame("VR"), Bytes({0x06})}));
  EXPECT_EQ(comm->NakCount(), 0);
  EXPECT_EQ(FirmwareCheckFailures, 0);
  EXPECT_EQ(statusTexts, std::vector<std::string>{"Read Response"});
}

TEST_F(ExchangeTest, TwoReadsAtOneFrameEndAreBothTyped) {
  Receive(read + Frame("CR00456"));
  tk.Advance(20);
  EXPECT_EQ(keys.TypedText(), "123\r\n456\r\n");
  EXPECT_EQ(port->writes, (std::vector<ByteString>{Bytes({0x06}), Bytes({0x06})}));
}

TEST_F(ExchangeTest, ReadDuringAWaitIsTypedAndTheWaitGoesOn) {
  comm->SendCommand("SP");
  tk.At(5, [&] { port->Deliver(read); });
  tk.At(300, [&] { port->Deliver(Frame("SP1FF")); });
  const uint64_t start = tk.Now();
  EXPECT_EQ(comm->WaitResponse(1000), Frame("SP1FF"));
  EXPECT_EQ(tk.Now() - start, 300u + 80u);
  EXPECT_EQ(keys.TypedText(), "123\r\n");

  // Events do not answer either; with no answer the wait ends at its time-out.
  keys.Clear();
  comm->SendCommand("PR");
  tk.At(5, [&] { port->Deliver(Frame("AE04")); });
  tk.At(200, [&] { port->Deliver(read); });
  EXPECT_EQ(comm->WaitResponse(1000), "");
  EXPECT_EQ(keys.TypedText(), "123\r\n");

  // Everything else answers: an acknowledgement, an error response, an
  // answer that fails the check.
  ByteString bad = Frame("VR12345678901234");
  bad.back() ^= 0x55;
  for (const ByteString& answer : {Bytes({0x06}), Frame("NG001"), bad}) {
    tk.At(5, [&] { port->Deliver(answer); });
    EXPECT_EQ(comm->WaitResponse(1000), answer);
  }
}

TEST_F(ExchangeTest, AcknowledgementQueuedWhenACommandFollowsIsSent) {
  port->outputStuck = true;  // nothing written goes out for now
  Receive(read);
  comm->SendCommand("VR");
  EXPECT_TRUE(port->discarded.empty());
  EXPECT_EQ(port->Sent(), (std::vector<ByteString>{Bytes({0x06}), Frame("VR")}));

  // A NAK is kept the same way.
  port->ClearRecord();
  ByteString bad = read;
  bad.back() ^= 0x55;
  Receive(bad);
  comm->SendCommand("VR");
  EXPECT_TRUE(port->discarded.empty());

  // Once the line has taken it, a command cuts the previous command short again.
  port->outputStuck = false;
  comm->SendCommand("SP");
  port->outputStuck = true;
  port->ClearRecord();
  comm->SendCommand("VR");
  comm->SendCommand("SP");
  EXPECT_EQ(port->discarded, std::vector<ByteString>{Frame("VR")});
  EXPECT_EQ(port->Sent(), std::vector<ByteString>{Frame("SP")});
}

TEST_F(ExchangeTest, ACommandAfterAnAcknowledgementTheLineTookPurgesNothing) {
  // A pseudo-terminal reports an empty output while the other side has not
  // taken the ACK yet, and a purge would drop it: with nothing left to cut
  // the output is not purged at all.
  Receive(read);
  port->ClearRecord();
  comm->SendCommand("VR");
  comm->SendCommand("SP");
  EXPECT_EQ(std::count(port->calls.begin(), port->calls.end(), "ClearTransmit"), 0);
  EXPECT_EQ(port->Sent(), (std::vector<ByteString>{Frame("VR"), Frame("SP")}));
}

TEST_F(ExchangeTest, ClosingLetsAQueuedAcknowledgementGoOutFirst) {
  port->outputStuck = true;
  Receive(read);
  port->ClearRecord();
  comm->ClosePort();
  EXPECT_EQ(port->calls, (std::vector<std::string>{"FlushTransmit", "Close"}));
  // Nothing queued: closed at once.
  ASSERT_TRUE(comm->OpenPort(false));
  port->ClearRecord();
  comm->ClosePort();
  EXPECT_EQ(port->calls, std::vector<std::string>{"Close"});
}

TEST_F(ExchangeTest, ReopenInTheMiddleOfAFrameSplicesNothing) {
  // The start of a read, then the port is opened again (the reader check's
  // reopen) and a whole answer follows: it is a frame of its own.
  port->Deliver(read.substr(0, 4));
  tk.Advance(10);
  ASSERT_TRUE(comm->OpenPort(false));
  tk.At(5, [&] { port->Deliver(version); });
  EXPECT_EQ(comm->WaitResponse(1000), version);
  EXPECT_TRUE(port->writes.empty());
  EXPECT_EQ(comm->NakCount(), 0);

  // The same across a close and a later open.
  port->Deliver(read.substr(0, 6));
  comm->ClosePort();
  tk.Advance(500);
  ASSERT_TRUE(comm->OpenPort(false));
  Receive(read);
  tk.Advance(20);
  EXPECT_EQ(port->writes, std::vector<ByteString>{Bytes({0x06})});
  EXPECT_EQ(keys.TypedText(), "123\r\n");
}

}  // namespace
}  // namespace km27::test
