// The reader simulator's logic without a pseudo-terminal: its answers, the
// frames it builds on command, and its handling of bad control input.
#include <gtest/gtest.h>

#include <random>

#include "SimFormat.h"
#include "SimReader.h"

using namespace km27sim;

namespace {

std::string Hex(const std::string& bytes) { return ToHex(bytes); }

struct ReaderTest : ::testing::Test {
  ReaderOptions options;
  std::unique_ptr<Reader> reader;
  int64_t now = 0;

  void Make() { reader = std::make_unique<Reader>(options); }
  void SetUp() override { Make(); }
  std::string Host(const std::string& bytes) {
    reader->Received(bytes, now);
    return reader->TakeDue(now);
  }
  std::string Do(const std::string& line) { return reader->Execute(line, 1, now).value_or("(deferred)"); }
};

TEST_F(ReaderTest, AnswersTheCommandsTheSystemSends) {
  // VR: the firmware at positions 4-13 and the date at 14-19 of a 21-byte frame.
  std::string vr = Host("\x02VR\x03\x07");
  ASSERT_EQ(vr.size(), 21u);
  EXPECT_EQ(vr.substr(1, 2), "VR");
  EXPECT_EQ(vr.substr(3, 10), "KM27 V1.10");
  EXPECT_EQ(vr.substr(13, 6), "261201");
  EXPECT_EQ(vr, BuildFrame("VRKM27 V1.10261201", options.format));

  EXPECT_EQ(Hex(Host(std::string("\x02SP\x03\x00", 5))), "02 53 50 30 46 46 03 30");
  // SP1.. is acknowledged and becomes the setting answered to SP.
  EXPECT_EQ(Host(BuildFrame("SP1FF", options.format)), "\x06");
  EXPECT_EQ(Host(std::string("\x02SP\x03\x00", 5)), BuildFrame("SP1FF", options.format));
  EXPECT_EQ(Host(BuildFrame("PR", options.format)), "\x06");
  EXPECT_EQ(Host(BuildFrame("ZZ", options.format)), BuildFrame("NG001", options.format));
  EXPECT_EQ(Host("\x02VR\x03\x08"), "\x15") << "a wrong block check is answered NAK";
  EXPECT_EQ(Host("\x06\x15\x10"), "") << "acknowledgements from the host are not answered";
}

TEST_F(ReaderTest, FramesArrivingInPiecesAndAmongNoise) {
  EXPECT_EQ(Host("\x06\x02V"), "");
  EXPECT_EQ(Host("R\x03"), "");
  EXPECT_EQ(Host("\x07").size(), 21u);
  // An incomplete frame is dropped after a second of silence; the next one is answered.
  EXPECT_EQ(Host("\x02VR"), "");
  now += 2000;
  EXPECT_EQ(reader->TakeDue(now), "");
  EXPECT_EQ(reader->NextDeadline(), -1) << "nothing left to wait for once it is dropped";
  EXPECT_EQ(Host(BuildFrame("PR", options.format)), "\x06");
}

TEST_F(ReaderTest, FrameSettingsOtherThanTheDefaults) {
  options.format.bccType = 2;
  options.format.bccBytes = 2;
  options.format.footer = "\r";
  Make();
  EXPECT_EQ(BuildFrame("VR", options.format), std::string("\x02VR\x03" "AB\r"));
  EXPECT_EQ(Host(std::string("\x02VR\x03" "AB\r")).substr(0, 3), "\x02VR");
  EXPECT_EQ(Host(std::string("\x02PR\x03" "00\r")), "\x15");
  options.format.header = "";
  options.format.bccStart = 1;
  options.format.bccType = 1;
  options.format.bccBytes = 1;
  options.format.footer = "";
  EXPECT_EQ(Hex(BuildFrame("VR", options.format)), "56 52 03 07");
}

TEST_F(ReaderTest, CardReadsAndResponsesOnCommand) {
  EXPECT_EQ(Do("swipe 0:1234567890 1: 0:ABC"),
            "OK " + Hex(BuildFrame("CR00123456789" "0\x1F" "1\x1F" "0ABC", options.format)));
  EXPECT_EQ(Hex(reader->TakeDue(now)), Hex(BuildFrame("CR00123456789" "0\x1F" "1\x1F" "0ABC", options.format)));
  // Empty slots, bracket escapes and a slot without separators.
  Do("swipe - - 0:DA[20]TA");
  EXPECT_EQ(reader->TakeDue(now), BuildFrame("CR0\x1F\x1F" "0DA TA", options.format));
  Do("swipe 0:1234");
  EXPECT_EQ(reader->TakeDue(now), BuildFrame("CR001234", options.format));
  Do("cw 0 - 1");
  EXPECT_EQ(reader->TakeDue(now), BuildFrame("CW00\x1F\x1F" "1", options.format));
  Do("ng 001");
  Do("dh 01");
  Do("ae 11");
  EXPECT_EQ(reader->TakeDue(now), BuildFrame("NG001", options.format) + BuildFrame("DH01", options.format) +
                                      BuildFrame("AE11", options.format));
  Do("badbcc CR00123");
  std::string bad = reader->TakeDue(now);
  EXPECT_EQ(bad.substr(0, bad.size() - 1), std::string("\x02" "CR00123\x03"));
  EXPECT_NE(bad, BuildFrame("CR00123", options.format));
  EXPECT_EQ(Do("raw 06"), "OK 06");
  EXPECT_EQ(reader->TakeDue(now), "\x06");
}

TEST_F(ReaderTest, SplitPiecesFloodAndSilence) {
  EXPECT_EQ(Do("split 50 0243 5230 03"), "OK 02 43 52 30 03");
  EXPECT_EQ(Hex(reader->TakeDue(now)), "02 43");
  EXPECT_EQ(reader->NextDeadline(), 50);
  EXPECT_EQ(Hex(reader->TakeDue(99)), "52 30");
  EXPECT_EQ(Hex(reader->TakeDue(100)), "03");

  EXPECT_EQ(Do("flood 5 30"), "OK flood on");
  std::string stream;
  for (int64_t t = 100; t < 200; ++t) stream += reader->TakeDue(t);
  EXPECT_EQ(stream.size(), 20u);
  EXPECT_EQ(Do("flood off"), "OK flood off");
  EXPECT_EQ(reader->TakeDue(1000), "");

  EXPECT_EQ(Do("silent on"), "OK silent on");
  EXPECT_EQ(Host(BuildFrame("VR", options.format)), "");
  Do("silent off");
  Do("delay 30");
  EXPECT_EQ(Host(BuildFrame("PR", options.format)), "");
  EXPECT_EQ(reader->TakeDue(now + 30), "\x06");
}

TEST_F(ReaderTest, WaitForReceivedBytes) {
  EXPECT_FALSE(reader->Execute("wait-rx 02 56 1000", 7, now));
  Host("\x02V");
  auto replies = reader->TakeReplies(now);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], std::make_pair(7, std::string("OK")));
  EXPECT_EQ(Do("wait-rx 02 1000"), "OK") << "already there";
  EXPECT_FALSE(reader->Execute("wait-rx 99 100", 7, now));
  replies = reader->TakeReplies(now + 100);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].second.substr(0, 3), "ERR");
  EXPECT_EQ(Do("received"), "OK 02 56");
  Do("clear");
  EXPECT_EQ(Do("received"), "OK");
}

TEST_F(ReaderTest, BadControlInputGetsAnErrorLine) {
  for (const char* line : {"", "bogus", "swipe", "swipe 0", "raw", "raw 0", "raw zz", "split", "split x 02",
                           "split 10 0", "random", "random 0", "random 99999999999", "flood", "flood 0 02",
                           "flood 10 xy", "silent maybe", "delay -1", "sp SP", "sp XX0FF", "version a",
                           "wait-rx 02", "wait-rx zz 10", "wait-rx 02 -5", "cw 0", "ng", "dh 1 2"}) {
    std::string reply = Do(line);
    EXPECT_EQ(reply.substr(0, 4), "ERR ") << "'" << line << "' -> " << reply;
  }
  EXPECT_EQ(reader->TakeDue(now), "");
  // Random lines and random bytes from the host never bring it down.
  std::mt19937 rng(4);
  for (int i = 0; i < 2000; ++i) {
    std::string line;
    for (int n = rng() % 40; n > 0; --n) line += static_cast<char>(rng() % 256);
    std::string reply = reader->Execute(line, 1, now).value_or("OK");
    EXPECT_TRUE(reply.compare(0, 2, "OK") == 0 || reply.compare(0, 3, "ERR") == 0);
    reader->Received(line, now);
  }
  Do("vanish");
  EXPECT_EQ(Do("swipe 0:1").substr(0, 3), "ERR");
  EXPECT_EQ(Do("vanish").substr(0, 3), "ERR");
}

}  // namespace
