// How each frame the reader sends lands in CardData and in the status text.
#include "tests/protocol/CommFixture.h"

namespace km27::test {
namespace {

class DecodeFrameTest : public CommFixture {
 protected:
  // Decodes "CR" + the byte after it + body in the default envelope.
  void DecodeRead(const ByteString& body) { comm->DecodeFrame(Frame("CR0" + body)); }
  std::string Slot(int k) const { return CardData.TrackStatus[k] + "|" + CardData.TrackData[k]; }
};

TEST_F(DecodeFrameTest, SeparatorWalk) {
  struct Case {
    ByteString body;
    std::string slots[4];
    int separators;
  } cases[] = {
      {"01234", {"0|1234", "|", "|", "|"}, 0},
      {"0ABC\x1F" "1\x1F" "0\x1F" "0XYZ", {"0|ABC", "1|", "0|", "0|XYZ"}, 3},
      {"\x1F\x1F" "0DATA", {"|", "|", "0|DATA", "|"}, 2},
      {"\x1F" "0B", {"|", "0|B", "|", "|"}, 1},
      {"0A\x1F" "0B\x1F" "0C\x1F" "0D", {"0|A", "0|B", "0|C", "0|D"}, 3},
      {"0A\x1F\x1F\x1F" "0D", {"0|A", "|", "|", "0|D"}, 3},
      {"0A\x1F" "0B\x1F" "0C\x1F" "0D\x1F" "0E", {"0|A", "0|B", "0|C", "0|D"}, 4},  // a fifth slot is ignored
      {"0\x1F" "0\x1F", {"0|", "0|", "|", "|"}, 2},
      {"3", {"3|", "|", "|", "|"}, 0},
      {"", {"|", "|", "|", "|"}, 0},
      {"\x1F", {"|", "|", "|", "|"}, 1},
  };
  for (const auto& c : cases) {
    DecodeRead(c.body);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(Slot(k), c.slots[k - 1]) << "body " << c.body << " slot " << k;
    EXPECT_EQ(CardData.SeparatorCount, c.separators) << "body " << c.body;
  }
}

TEST_F(DecodeFrameTest, DataKeepsEveryByteValue) {
  const ByteString t1("0\x00\x80\xFF\x1E", 5);
  const ByteString t2("0\xB1\xDE\x00", 4);
  DecodeRead(t1 + "\x1F" + t2);
  EXPECT_EQ(CardData.TrackStatus[1], "0");
  EXPECT_EQ(CardData.TrackData[1], t1.substr(1));
  EXPECT_EQ(CardData.TrackData[2], t2.substr(1));
  EXPECT_EQ(CardData.SeparatorCount, 1);
}

TEST_F(DecodeFrameTest, ReadAcrossFrameSettings) {
  // A two-byte header moves the code; a two-character BCC and a footer are cut off the end.
  CommFormat.Header = "\x02\x02";
  CommFormat.BCCByte = 2;
  CommFormat.Footer = "\r\n";
  CommFormat.Separator = "|";
  comm->DecodeFrame(Frame("CRx0AB|0CD") + "\r\n");
  EXPECT_EQ(Slot(1), "0|AB");
  EXPECT_EQ(Slot(2), "0|CD");
  // An empty separator setting never matches: the body is one slot.
  CommFormat.Separator.clear();
  comm->DecodeFrame(Frame("CRx0AB|0CD") + "\r\n");
  EXPECT_EQ(Slot(1), "0|AB|0CD");
  EXPECT_EQ(CardData.SeparatorCount, 0);
}

TEST_F(DecodeFrameTest, ReadResponseArmsOutputAndResetsFirmwareCheck) {
  int alive = 0;
  comm->OnFirmwareAlive = [&] { ++alive; };
  FirmwareCheckFailures = 3;
  DecodeRead("0123");
  EXPECT_EQ(statusTexts, std::vector<std::string>{"Read Response"});
  EXPECT_TRUE(comm->tmrSendKeyData->Enabled());
  EXPECT_EQ(FirmwareCheckFailures, 0);
  EXPECT_EQ(alive, 1);
  // The third switch "0" leaves the counter alone.
  General.ConnectionCheck = "110";
  FirmwareCheckFailures = 3;
  DecodeRead("0123");
  EXPECT_EQ(FirmwareCheckFailures, 3);
  EXPECT_EQ(alive, 1);
}

TEST_F(DecodeFrameTest, TooShortReadIsIgnored) {
  // Header, "CR", one byte, end code and BCC is the shortest read: 6 bytes.
  for (const ByteString& f : {Bytes({0x02, 'C', 'R', 0x03, 0x12}), Bytes({0x02, 'C', 'R'})}) {
    FirmwareCheckFailures = 2;
    comm->DecodeFrame(f);
    EXPECT_TRUE(statusTexts.empty());
    EXPECT_FALSE(comm->tmrSendKeyData->Enabled());
    EXPECT_EQ(FirmwareCheckFailures, 2);
  }
  comm->DecodeFrame(Frame("CR0"));  // 6 bytes, empty body
  EXPECT_EQ(statusTexts, std::vector<std::string>{"Read Response"});
  EXPECT_EQ(Slot(1), "|");
}

TEST_F(DecodeFrameTest, WriteResponse) {
  CardData.SingleTrack = true;
  comm->DecodeFrame(Frame("CW02"));
  EXPECT_EQ(Slot(1), "2|");
  EXPECT_EQ(Slot(2), "|");
  EXPECT_EQ(statusTexts.back(), "Write Response");
  EXPECT_FALSE(comm->tmrSendKeyData->Enabled());

  CardData.SingleTrack = false;
  comm->DecodeFrame(Frame("CW00\x1F" "1\x1F" "7"));
  EXPECT_EQ(Slot(1), "0|");
  EXPECT_EQ(Slot(2), "1|");
  EXPECT_EQ(Slot(3), "7|");
  comm->DecodeFrame(Frame("CW0\x1F\x1F" "0"));  // slots 1 and 2 not written
  EXPECT_EQ(Slot(1), "|");
  EXPECT_EQ(Slot(2), "|");
  EXPECT_EQ(Slot(3), "0|");
  comm->DecodeFrame(Frame("CW00\x1F" "1\x1F"));  // slot 3 absent: the end code follows
  EXPECT_EQ(Slot(2), "1|");
  EXPECT_EQ(Slot(3), "|");
  comm->DecodeFrame(Bytes({0x02, 'C', 'W', '0'}));  // cut short
  EXPECT_EQ(Slot(1), "|");
  EXPECT_EQ(statusTexts.back(), "Write Response");
}

TEST_F(DecodeFrameTest, ErrorResponsesAndEvents) {
  comm->DecodeFrame(Frame("NG001"));
  comm->DecodeFrame(Frame("NG040"));
  comm->DecodeFrame(Frame("NG099"));
  comm->DecodeFrame(Frame("DH03"));
  comm->DecodeFrame(Frame("AE01"));
  comm->DecodeFrame(Frame("AE11"));
  comm->DecodeFrame(Bytes({0x02, 'N', 'G'}));  // cut short: nothing to quote but the code
  const std::vector<std::string> expected = {
      "Error Response : Command error!\r\n\"NG001\"",
      "Error Response : \r\n\"NG040\"",
      "Error Response : IC card control error.\r\n\"NG099\"",
      "Error Event : Card transportation error.\r\n\"DH03\"",
      "Event Information : Finished read operation of a card.\r\n\"AE01\"",
      "Event Information : \r\n\"AE11\"",
      "Error Response : \r\n\"NG\"",
  };
  EXPECT_EQ(statusTexts, expected);
}

TEST_F(DecodeFrameTest, EveryFrameClearsTheRead) {
  DecodeRead("0ABC\x1F" "0DEF");
  ASSERT_EQ(CardData.TrackData[2], "DEF");
  for (const ByteString& f : {Bytes({0x06}), Frame("PS0"), Frame("ID12345"), Frame("VR"), Frame("XX"), ByteString()}) {
    DecodeRead("0ABC\x1F" "0DEF");
    comm->DecodeFrame(f);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(Slot(k), "|");
    EXPECT_EQ(CardData.SeparatorCount, 0);
  }
  EXPECT_EQ(statusTexts.size(), 7u);  // only the reads set a text
}

TEST_F(DecodeFrameTest, VersionAnswerProvesTheReaderAlive) {
  const ByteString twelve = Frame("VR" + std::string(7, '1'));  // 1 + 9 + 1 + 1 = 12 bytes
  const ByteString thirteen = Frame("VR" + std::string(8, '1'));
  ASSERT_EQ(twelve.size(), 12u);
  ASSERT_EQ(thirteen.size(), 13u);
  struct {
    std::string connectionCheck;
    ByteString frame;
    bool resets;
  } cases[] = {{"111", twelve, false}, {"111", thirteen, true}, {"110", thirteen, false},
               {"001", thirteen, true}, {"11", thirteen, true}, {"", thirteen, true}};
  for (const auto& c : cases) {
    General.ConnectionCheck = c.connectionCheck;
    FirmwareCheckFailures = 4;
    comm->DecodeFrame(c.frame);
    EXPECT_EQ(FirmwareCheckFailures, c.resets ? 0 : 4) << "'" << c.connectionCheck << "' " << c.frame.size();
  }
  EXPECT_TRUE(statusTexts.empty());
}

}  // namespace
}  // namespace km27::test
