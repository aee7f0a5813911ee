// Taking a buffer of frames that came closer together than the silence
// apart at their boundaries, and leaving everything else whole.
#include "device/FrameSplit.h"

#include <gtest/gtest.h>

#include "tests/protocol/CommFixture.h"

namespace km27::test {
namespace {

using Pieces = std::vector<ByteString>;

class FrameSplitTest : public ::testing::Test {
 protected:
  FrameSplitTest() { ResetSettingsToBuiltIn(); }
  ~FrameSplitTest() override { ResetSettingsToBuiltIn(); }
  Pieces Split(const ByteString& buffer) { return SplitFrames(buffer, CommFormat); }
};

TEST_F(FrameSplitTest, FramesBackToBackComeApart) {
  const ByteString read = Frame("CR00123"), version = Frame("VRKM27 V1.10261201");
  EXPECT_EQ(Split(read + version), (Pieces{read, version}));
  EXPECT_EQ(Split(version + read + read), (Pieces{version, read, read}));
  // A bare acknowledgement is a frame of its own.
  EXPECT_EQ(Split(Bytes({0x06}) + read), (Pieces{Bytes({0x06}), read}));
  EXPECT_EQ(Split(read + Bytes({0x15})), (Pieces{read, Bytes({0x15})}));
  EXPECT_EQ(Split(Bytes({0x06, 0x06})), (Pieces{Bytes({0x06}), Bytes({0x06})}));
}

TEST_F(FrameSplitTest, WhatIsNotMadeOfWholeFramesStaysOneFrame) {
  const ByteString read = Frame("CR00123");
  ByteString bad = read;
  bad.back() ^= 0x55;
  for (const ByteString& buffer : {read, bad + read, read + bad, read + "x", "x" + read, read.substr(0, 5) + read,
                                   ByteString(), Bytes({0x06}), Bytes({0x10, 0x06})}) {
    EXPECT_EQ(Split(buffer), Pieces{buffer}) << buffer.size() << " bytes";
  }
}

TEST_F(FrameSplitTest, EndCodeInsideTheDataIsNotABoundary) {
  // A body byte equal to the end code, and check values equal to the header
  // or the end code, do not cut a frame short.
  const ByteString first = Frame(ByteString("CR0A\x03" "B"));
  const ByteString second = Frame("VR1");
  ASSERT_EQ(Split(first), Pieces{first});
  EXPECT_EQ(Split(first + second), (Pieces{first, second}));
  for (int c = 0x20; c <= 0x7E; ++c) {  // "CR0 " checks to 0x02, "CR0!" to 0x03
    const ByteString f = Frame("CR0" + std::string(1, static_cast<char>(c)));
    EXPECT_EQ(Split(f + f), (Pieces{f, f})) << "check byte " << int(ByteAt(f, f.size() - 1));
  }
}

TEST_F(FrameSplitTest, OtherFrameSettings) {
  CommFormat.BCCType = 2;
  CommFormat.BCCByte = 2;
  CommFormat.Footer = "\r";
  CommFormat.Header = "<<";
  const ByteString a = Frame("CR0ab") + "\r", b = Frame("VR12") + "\r";
  EXPECT_EQ(Split(a + b), (Pieces{a, b}));
  EXPECT_EQ(Split(Frame("CR0ab") + Frame("VR12")), Pieces{Frame("CR0ab") + Frame("VR12")}) << "footer missing";
  // No block check: boundaries cannot be told, the buffer stays one frame.
  CommFormat.BCCByte = 0;
  EXPECT_EQ(Split(a + b), Pieces{a + b});
  CommFormat.BCCByte = 1;
  CommFormat.Header.clear();
  EXPECT_EQ(Split("CR0\x03x"), Pieces{"CR0\x03x"});
}

}  // namespace
}  // namespace km27::test
