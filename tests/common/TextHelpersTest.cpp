#include "common/TextHelpers.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/CodePage.h"
#include "common/MessageSink.h"

using namespace km27;

namespace {

struct MessageRecorder {
  std::vector<std::string> messages;
  MessageRecorder() {
    SetMessageSink([this](const std::string& m) { messages.push_back(m); });
  }
  ~MessageRecorder() { SetMessageSink(nullptr); }
};

}  // namespace

TEST(ReplaceAll, ReplacesEveryOccurrenceWithoutRescanning) {
  EXPECT_EQ(ReplaceAll("* Open error. COM<COM>", "<COM>", "3"), "* Open error. COM3");
  EXPECT_EQ(ReplaceAll("<COM>-<COM>", "<COM>", "12"), "12-12");
  // The replacement itself holds the search text: it is not searched again.
  EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll(ByteString("a\0b", 3), ByteString("\0", 1), "-"), "a-b");
}

TEST(ExpandLineBreaks, BackslashNBecomesCrLf) {
  EXPECT_EQ(ExpandLineBreaks("one\\ntwo"), "one\r\ntwo");
  EXPECT_EQ(ExpandLineBreaks("\\n\\n"), "\r\n\r\n");
  EXPECT_EQ(ExpandLineBreaks("back\\slash\\"), "back\\slash\\");
  EXPECT_EQ(ExpandLineBreaks("\\N"), "\\N");
}

TEST(HexPairToByte, DigitsOfBothCases) {
  MessageRecorder rec;
  EXPECT_EQ(HexPairToByte('0', '2'), 0x02);
  EXPECT_EQ(HexPairToByte('1', 'F'), 0x1F);
  EXPECT_EQ(HexPairToByte('a', 'b'), 0xAB);
  EXPECT_EQ(HexPairToByte('F', 'f'), 0xFF);
  // Letters beyond F count 0 without a message.
  EXPECT_EQ(HexPairToByte('G', '1'), 0x01);
  EXPECT_EQ(HexPairToByte('1', 'z'), 0x10);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(HexPairToByte, NonDigitBelowAIsReportedAndCountsZero) {
  MessageRecorder rec;
  EXPECT_EQ(HexPairToByte(':', '1'), 0x00);
  EXPECT_EQ(HexPairToByte('3', ' '), 0x30);
  EXPECT_EQ(HexPairToByte('\0', '\0'), 0x00);
  ASSERT_EQ(rec.messages.size(), 3u);
  EXPECT_EQ(rec.messages[0], "Out of HEX Code Error !");
}

TEST(DecodeBracketHex, GroupsAndLiterals) {
  MessageRecorder rec;
  EXPECT_EQ(DecodeBracketHex("[02]"), ByteString("\x02"));
  EXPECT_EQ(DecodeBracketHex("A[1F]B"), ByteString("A\x1F" "B"));
  EXPECT_EQ(DecodeBracketHex("[02][03]"), ByteString("\x02\x03"));
  EXPECT_EQ(DecodeBracketHex("[00]"), ByteString("\0", 1));
  EXPECT_EQ(DecodeBracketHex("[0d][0a]"), ByteString("\r\n"));
  // A group cut short at the end is copied unchanged.
  EXPECT_EQ(DecodeBracketHex("X[1F"), "X[1F");
  EXPECT_EQ(DecodeBracketHex("[02]A[0"), ByteString("\x02" "A[0"));
  EXPECT_EQ(DecodeBracketHex("["), "[");
  EXPECT_EQ(DecodeBracketHex(""), "");
  // Not a group: copied character by character, then a later group still decodes.
  EXPECT_EQ(DecodeBracketHex("[[02]]"), ByteString("[\x02]"));
  EXPECT_EQ(DecodeBracketHex("[G1]"), ByteString("\x01"));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(DecodeBracketHex("[:1]"), ByteString("\0", 1));
  EXPECT_EQ(rec.messages.size(), 1u);
}

TEST(EncodeBracketHex, EscapesControlAndHighBytes) {
  SetAnsiCodePage(nullptr);
  EXPECT_EQ(EncodeBracketHex(ByteString("\x02" "A\x03"), true, false), "[02]A[03]");
  EXPECT_EQ(EncodeBracketHex(ByteString("\x02" "A\x03"), false, false), ByteString("\x02" "A\x03"));
  EXPECT_EQ(EncodeBracketHex(ByteString("\0\x7F\x80\xA0\xA1\xDF\xE0\xFF", 8), true, false),
            "[00][7F][80][A0]\xA1\xDF[E0][FF]");
  EXPECT_EQ(EncodeBracketHex(" ~", true, false), " ~");
}

TEST(EncodeBracketHex, KeepsDoubleByteCharactersWhole) {
  CodePage932 sjis;
  SetAnsiCodePage(&sjis);
  // "\x82\xA0" is a Shift-JIS character whose trail byte would otherwise be escaped.
  const ByteString text("\x82\xA0" "A\x1F", 4);
  EXPECT_EQ(EncodeBracketHex(text, true, true), ByteString("\x82\xA0" "A[1F]"));
  EXPECT_EQ(EncodeBracketHex(text, true, false), ByteString("[82][A0]A[1F]"));
  // A lead byte at the very end has no trail byte: escaped like any other byte.
  EXPECT_EQ(EncodeBracketHex(ByteString("A\x82"), true, true), "A[82]");
  SetAnsiCodePage(nullptr);
  EXPECT_EQ(EncodeBracketHex(text, true, true), ByteString("[82][A0]A[1F]"));
}

TEST(Trim, ControlCharactersAndSpaces) {
  EXPECT_EQ(TrimControl(ByteString("\t \x01 key = v \r\n\0", 16)), "key = v");
  EXPECT_EQ(TrimControl(" \x80 "), "\x80");
  EXPECT_EQ(TrimSpaces("  12 "), "12");
  EXPECT_EQ(TrimSpaces("\t1"), "\t1");
}

TEST(Numbers, ParseIntRejectsJunk) {
  EXPECT_EQ(ParseInt("80"), 80);
  EXPECT_EQ(ParseInt("-5"), -5);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(ParseInt("2147483648"));
  EXPECT_FALSE(ParseInt("99999999999999999999"));
  EXPECT_FALSE(ParseInt(""));
  EXPECT_FALSE(ParseInt("-"));
  EXPECT_FALSE(ParseInt(" 1"));
  EXPECT_FALSE(ParseInt("1x"));
  EXPECT_EQ(StrToIntDef("abc", 9600), 9600);
  EXPECT_EQ(HexByte(0x3F), "3F");
  EXPECT_TRUE(SameText("ConnectionCheck", "CONNECTIONcheck"));
  EXPECT_FALSE(SameText("Port", "Ports"));
}
