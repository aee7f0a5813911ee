// Decoder rules that the default settings hide: a separator longer than one
// byte loses only its first byte at each removal, and the write and error
// responses are read at fixed positions with the fixed bytes 0x1F and 0x03,
// whatever the Header and Separator settings say.
#include "tests/protocol/CommFixture.h"

namespace km27::test {
namespace {

class DecodeRulesTest : public CommFixture {
 protected:
  std::string Slot(int k) const { return CardData.TrackStatus[k] + "|" + CardData.TrackData[k]; }
};

TEST_F(DecodeRulesTest, EachSeparatorRemovalTakesOneByteOnly) {
  CommFormat.Separator = "##";
  comm->DecodeFrame(Frame("CR0" "0AB##0CD##1"));
  // The second "#" of each separator stays and becomes the next slot's status.
  EXPECT_EQ(Slot(1), "0|AB");
  EXPECT_EQ(Slot(2), "#|0CD");
  EXPECT_EQ(Slot(3), "#|1");
  EXPECT_EQ(Slot(4), "|");
  EXPECT_EQ(CardData.SeparatorCount, 2);
}

TEST_F(DecodeRulesTest, WriteResponseUsesFixedBytesAndPositions) {
  CardData.SingleTrack = false;
  CommFormat.Separator = "|";  // not used by "CW": its statuses are split by 0x1F
  comm->DecodeFrame(Frame("CW0\x1F\x1F" "0"));  // slots 1 and 2 not written
  EXPECT_EQ(Slot(1), "|");
  EXPECT_EQ(Slot(2), "|");
  EXPECT_EQ(Slot(3), "0|");

  // A two-byte header moves the code, not the fixed positions: position 5 is
  // the byte after "CW", the next 0x1F is dropped and "1" lands in slot 3.
  CommFormat.Header = "\x02\x02";
  comm->DecodeFrame(Frame("CW00\x1F" "1\x1F" "7"));
  EXPECT_EQ(Slot(1), "0|");
  EXPECT_EQ(Slot(2), "|");
  EXPECT_EQ(Slot(3), "1|");
  EXPECT_EQ(statusTexts.back(), "Write Response");
}

TEST_F(DecodeRulesTest, ErrorResponseFieldsAtFixedPositions) {
  CommFormat.Header = "\x02\x02";
  comm->DecodeFrame(Frame("NG001"));
  // Positions 4-6 are "G00" (not a number: no text); 2-6 are quoted.
  ASSERT_EQ(statusTexts.size(), 1u);
  EXPECT_EQ(statusTexts[0], "Error Response : \r\n\"\x02NG00\"");
}

}  // namespace
}  // namespace km27::test
