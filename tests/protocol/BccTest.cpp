// The block check: what is sent with every command and what received frames
// must carry to be accepted.
#include "tests/protocol/CommFixture.h"

#include "common/MessageSink.h"

namespace km27::test {
namespace {

TEST(MakeBcc, TypesByteCountsAndStart) {
  const ByteString vr = Bytes({0x02, 'V', 'R', 0x03});
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 2, 1), Bytes({0x07}));
  EXPECT_EQ(TfrmComm::MakeBcc(Bytes({0x02, 'S', 'P', 0x03}), 1, 2, 1), Bytes({0x00}));
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 2, 2, 2), "AB");
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 2, 2, 1), Bytes({0xAB}));
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 2, 2), "07");
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 1, 1), Bytes({0x05}));   // the header counts too
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 4, 1), Bytes({0x03}));   // only the end code
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 5, 1), Bytes({0x00}));   // start beyond the data
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 7, 2, 1), Bytes({0x00}));   // unknown type
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 2, 0), Bytes({0x07}));   // check off: still one byte
  EXPECT_EQ(TfrmComm::MakeBcc("", 1, 2, 2), "00");
  EXPECT_EQ(TfrmComm::MakeBcc(Bytes({0x02, 0xF0, 0x0F, 0x03}), 2, 2, 2), "02");  // sum wraps at 256
}

TEST(MakeBcc, CoversDataOfAnyLength) {
  ByteString data(300, '\0');
  data[0] = 0x02;
  data[299] = 0x5A;  // beyond the first 256 bytes
  EXPECT_EQ(TfrmComm::MakeBcc(data, 1, 2, 1), Bytes({0x5A}));
}

class CheckBccTest : public CommFixture {};

// Whatever the block check settings, a frame built with MakeBcc passes
// CheckBcc; a start below 1 covers from the first byte on both sides.
TEST_F(CheckBccTest, BuiltFramesPassTheirOwnCheck) {
  for (int32_t type : {1, 2, 5}) {
    for (int32_t bytes : {1, 2}) {
      for (int32_t start : {-3, 0, 1, 2, 4, 6, 9, 20}) {
        CommFormat.BCCType = type;
        CommFormat.BCCByte = bytes;
        CommFormat.BCCStart = start;
        EXPECT_TRUE(comm->CheckBcc(Frame("CR0123"))) << type << " " << bytes << " " << start;
      }
    }
  }
  const ByteString vr = Bytes({0x02, 'V', 'R', 0x03});
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 1, 0, 1), Bytes({0x05}));
  EXPECT_EQ(TfrmComm::MakeBcc(vr, 2, -7, 2), "AD");
}

TEST_F(CheckBccTest, AcceptsGoodFramesAndRejectsCorruptOnes) {
  EXPECT_TRUE(comm->CheckBcc(Frame("VR")));
  EXPECT_TRUE(comm->CheckBcc(Frame(ByteString("CR0\x00\x80\xFF", 6))));
  ByteString bad = Frame("CR0123");
  bad[4] ^= 0x01;
  EXPECT_FALSE(comm->CheckBcc(bad));
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x02, 0x03})));  // BCC 0x03 over nothing is 0
  // Two-character BCC.
  CommFormat.BCCByte = 2;
  CommFormat.BCCType = 2;
  EXPECT_TRUE(comm->CheckBcc(Frame("VR")));
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 'a', 'b'})));  // lower-case digits
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 'A', 'C'})));
}

TEST_F(CheckBccTest, ShortFramesAndCheckOff) {
  EXPECT_TRUE(comm->CheckBcc(""));
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x06})));
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x15})));
  CommFormat.BCCByte = 0;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'X', 'Y', 0x03, 0x55})));
  CommFormat.BCCByte = -3;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'X', 'Y', 0x03, 0x55})));
}

TEST_F(CheckBccTest, LeadBytesOfTheCodePage) {
  const ByteString twoBytes = Bytes({0x82, 0xA0});  // a Shift-JIS character
  EXPECT_FALSE(comm->CheckBcc(twoBytes));           // single-byte code page: an ordinary frame
  CodePage932 sjis;
  SetAnsiCodePage(&sjis);
  EXPECT_TRUE(comm->CheckBcc(twoBytes));
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x41, 0x82})));      // second byte leads
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x41, 0x42, 0x82})));  // three bytes with BCCByte 1
  CommFormat.BCCByte = 2;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x41, 0x42, 0x82})));   // third byte leads
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x82, 0x42, 0x43})));   // first byte leads
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x41, 0x82, 0x43})));  // the middle byte does not count
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x82, 0x42, 0x43, 0x44})));
}

TEST_F(CheckBccTest, StartPositionsAndFooter) {
  // The BCC is always the frame's last bytes: a Footer is not skipped.
  CommFormat.Footer = "\r";
  EXPECT_FALSE(comm->CheckBcc(Frame("VR") + "\r"));
  CommFormat.Footer.clear();
  // Start 1: the header is covered.
  CommFormat.BCCStart = 1;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 0x05})));
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 0x07})));
  // A start beyond the frame covers nothing and reads the BCC beyond the end: both 0.
  CommFormat.BCCStart = 10;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 0x7E})));
  // The received BCC starts no earlier than the start position.
  CommFormat.BCCStart = 4;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 0x03})));
  CommFormat.BCCStart = 5;
  EXPECT_TRUE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 0x00})));
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, 0x01})));
}

TEST_F(CheckBccTest, NonHexCharactersAreReported) {
  std::vector<std::string> messages;
  SetMessageSink([&](const std::string& m) { messages.push_back(m); });
  CommFormat.BCCByte = 2;
  EXPECT_FALSE(comm->CheckBcc(Bytes({0x02, 'V', 'R', 0x03, '/', '7'})));
  SetMessageSink(nullptr);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Out of HEX Code Error !");
}

TEST_F(CheckBccTest, SendCommandFrames) {
  comm->SendCommand("VR");
  comm->SendCommand("SP");
  CommFormat.BCCType = 2;
  CommFormat.BCCByte = 2;
  comm->SendCommand("VR");
  ASSERT_EQ(port->writes.size(), 3u);
  EXPECT_EQ(port->writes[0], Bytes({0x02, 'V', 'R', 0x03, 0x07}));
  EXPECT_EQ(port->writes[1], Bytes({0x02, 'S', 'P', 0x03, 0x00}));
  EXPECT_EQ(port->writes[2], Bytes({0x02, 'V', 'R', 0x03, 'A', 'B'}));
  // Every write is preceded by a look at what is still queued: the line took
  // everything, so nothing is cleared.
  const std::vector<std::string> expected = {"FlushTransmit", "Write", "FlushTransmit", "Write",
                                             "FlushTransmit", "Write"};
  EXPECT_EQ(port->calls, expected);
}

}  // namespace
}  // namespace km27::test
