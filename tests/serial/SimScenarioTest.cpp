// The simulated reader's scenarios for long runs and fault injection, without
// a pseudo-terminal: numbered reads at a rate, spoilt reads and resends after
// NAK, reads landing on a check answer, a stream that never goes silent, and
// timed or host-triggered commands.
#include <gtest/gtest.h>

#include <set>

#include "SimCards.h"
#include "SimFormat.h"
#include "SimReader.h"

using namespace km27sim;

namespace {

struct ScenarioTest : ::testing::Test {
  ReaderOptions options;
  Reader reader{options};
  int64_t now = 0;

  std::string Do(const std::string& line) { return reader.Execute(line, 1, now).value_or("(deferred)"); }
  std::string Host(const std::string& bytes) {
    reader.Received(bytes, now);
    return reader.TakeDue(now);
  }
  // Everything due up to and including `until`, stepping 1 ms.
  std::string RunUntil(int64_t until) {
    std::string out;
    for (; now <= until; ++now) out += reader.TakeDue(now);
    now = until;
    return out;
  }
  std::string Card(uint32_t seed, uint64_t index) {
    return BuildFrame(NumberedReadBody(MakeNumberedRead(seed, index), "\x1F"), options.format);
  }
};

TEST(NumberedReads, CarryTheirIndexAndOnlyLettersAndDigits) {
  std::set<std::string> seen;
  for (uint64_t i = 0; i < 500; ++i) {
    NumberedRead r = MakeNumberedRead(7, i);
    EXPECT_EQ(NumberedReadIndex(r.track1), static_cast<int64_t>(i));
    EXPECT_GE(r.track1.size(), 11u);
    EXPECT_LE(r.track1.size(), 31u);
    EXPECT_GE(r.track2.size(), 4u);
    EXPECT_LE(r.track2.size(), 16u);
    for (char c : r.track1 + r.track2) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << r.track1;
    for (char c : r.track2) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)));
    EXPECT_EQ(r.track1, MakeNumberedRead(7, i).track1) << "the same seed and index give the same read";
    seen.insert(r.track1.substr(7) + "/" + r.track2);
  }
  EXPECT_GT(seen.size(), 490u) << "the reads differ from each other";
  EXPECT_NE(MakeNumberedRead(1, 3).track1, MakeNumberedRead(2, 3).track1);
  EXPECT_EQ(NumberedReadBody({"S000001ab", "12"}, "\x1F"), std::string("CR00S000001ab\x1F" "012"));
  EXPECT_EQ(NumberedReadIndex("S00012x"), -1);
  EXPECT_EQ(NumberedReadIndex("S12"), -1);
  EXPECT_EQ(NumberedReadIndex("X000012"), -1);
}

TEST_F(ScenarioTest, LongReadsAreCheckedOverAllTheirBytes) {
  // 302 bytes before the check: one over the first (length mod 256) of
  // them only would leave most of the read unchecked.
  const std::string body = "CR00" + std::string(296, 'A');
  Do("swipe 0:" + std::string(296, 'A'));
  const std::string frame = reader.TakeDue(now);
  ASSERT_EQ(frame.size(), 303u);
  unsigned char x = 0;
  for (size_t i = 1; i + 1 < frame.size(); ++i) x ^= static_cast<unsigned char>(frame[i]);
  EXPECT_EQ(static_cast<unsigned char>(frame.back()), x);
  EXPECT_EQ(frame, BuildFrame(body, options.format));
}

TEST_F(ScenarioTest, SwipesGoOutAtTheirRateInOrder) {
  EXPECT_EQ(Do("swipes 3 100 seed=5"), "OK swipes 3");
  EXPECT_EQ(reader.TakeDue(0), Card(5, 0));
  EXPECT_EQ(reader.NextDeadline(), 100);
  EXPECT_EQ(reader.TakeDue(99), "");
  EXPECT_EQ(reader.TakeDue(100), Card(5, 1));
  EXPECT_NE(Do("stats").find("left=1 "), std::string::npos) << Do("stats");
  EXPECT_EQ(reader.TakeDue(250), Card(5, 2));
  EXPECT_EQ(reader.TakeDue(1000), "");
  EXPECT_EQ(reader.NextDeadline(), -1);
  EXPECT_NE(Do("stats").find("reads=3 "), std::string::npos) << Do("stats");

  // A random gap stays inside its range; "swipes off" ends a run.
  now = 2000;
  Do("swipes 50 20-40 seed=9");
  int64_t last = -1;
  int sent = 0;
  for (; now < 2400; ++now) {
    if (reader.TakeDue(now).empty()) continue;
    if (last >= 0) {
      EXPECT_GE(now - last, 20);
      EXPECT_LE(now - last, 40);
    }
    last = now;
    ++sent;
  }
  EXPECT_GE(sent, 10);
  EXPECT_EQ(Do("swipes off"), "OK swipes off");
  EXPECT_EQ(RunUntil(3000), "");
}

TEST_F(ScenarioTest, SpoiltReadsAreResentAfterNakWhenTheReaderResends) {
  Do("swipes 1 10 seed=3 corrupt=100");
  std::string spoilt = reader.TakeDue(now);
  ASSERT_EQ(spoilt.size(), Card(3, 0).size());
  EXPECT_NE(spoilt, Card(3, 0));
  EXPECT_EQ(spoilt.substr(0, spoilt.size() - 1), Card(3, 0).substr(0, spoilt.size() - 1));
  // The default reader does not resend: the read is given up.
  EXPECT_EQ(Host("\x15"), "");
  EXPECT_NE(Do("stats").find("corrupted=1 dropped=1"), std::string::npos) << Do("stats");

  EXPECT_EQ(Do("resend 2"), "OK resend 2");
  Do("swipes 1 10 seed=3 corrupt=100");
  reader.TakeDue(now);
  EXPECT_EQ(Host("\x15"), Card(3, 0)) << "the good frame comes again";
  EXPECT_EQ(Host("\x15"), Card(3, 0));
  EXPECT_EQ(Host("\x15"), "") << "two resends at most";
  // An ACK settles a read; the next NAK finds nothing to resend.
  Do("swipe 0:ABC");
  reader.TakeDue(now);
  EXPECT_EQ(Host("\x06"), "");
  EXPECT_EQ(Host("\x15"), "");
  // 10 (DLE) gives up without a resend.
  Do("badbcc CR00XYZ");
  reader.TakeDue(now);
  EXPECT_EQ(Host("\x10"), "");
  EXPECT_NE(Do("stats").find("acks=1 naks=5 dles=1 resent=2"), std::string::npos) << Do("stats");
}

TEST_F(ScenarioTest, AReaderThatResendsWaitsForTheAnswerBeforeItsNextRead) {
  // Otherwise a host that lags would get two reads as one buffer, and its one
  // NAK could not say which read to send again.
  Do("resend 1");
  Do("swipes 3 10 seed=5");
  EXPECT_EQ(RunUntil(500), Card(5, 0)) << "no answer yet: the next read waits";
  EXPECT_EQ(Host("\x06"), Card(5, 1)) << "its time has come: it goes with the answer";
  // No answer at all: after a while the run goes on.
  const std::string later = RunUntil(2200);
  EXPECT_TRUE(later.empty()) << later;
  EXPECT_EQ(RunUntil(2600), Card(5, 2));
}

TEST_F(ScenarioTest, CollidingReadsRideOnTheNextVersionAnswer) {
  Do("swipes 4 10 seed=1 collide=2");
  std::string out = RunUntil(100);
  EXPECT_EQ(out, Card(1, 0) + Card(1, 2)) << "reads 2 and 4 wait";
  EXPECT_NE(Do("stats").find("held=2 left=0"), std::string::npos) << Do("stats");
  const std::string answer = BuildFrame("VR" + options.firmware + options.date, options.format);
  EXPECT_EQ(Host(BuildFrame("VR", options.format)), Card(1, 1) + Card(1, 3) + answer);
  EXPECT_NE(Do("stats").find("held=0"), std::string::npos);
  EXPECT_EQ(Host(BuildFrame("VR", options.format)), answer);
}

TEST_F(ScenarioTest, StreamNeverGoesSilentAtItsRate) {
  EXPECT_EQ(Do("stream 115200 02 43"), "OK stream 11520 bytes/s");
  std::string out;
  int64_t silentMs = 0, longestSilence = 0;
  for (; now < 1000; ++now) {
    std::string due = reader.TakeDue(now);
    silentMs = due.empty() ? silentMs + 1 : 0;
    longestSilence = std::max(longestSilence, silentMs);
    out += due;
    EXPECT_LE(reader.NextDeadline(), now + 1);
  }
  EXPECT_NEAR(static_cast<double>(out.size()), 11520.0, 20.0);
  EXPECT_EQ(longestSilence, 0);
  EXPECT_EQ(out.substr(0, 6), "\x02" "C\x02" "C\x02" "C");
  // A host that read nothing for 5 s is not buried under 5 s of bytes.
  now += 5000;
  EXPECT_LE(reader.TakeDue(now).size(), 1200u);
  EXPECT_EQ(Do("stream off").substr(0, 13), "OK stream off");
  EXPECT_EQ(reader.TakeDue(now + 10), "");
  Do("stream 9600 random");
  EXPECT_NEAR(static_cast<double>(RunUntil(now + 1000).size()), 960.0, 5.0);
}

TEST_F(ScenarioTest, TimedAndTriggeredCommands) {
  EXPECT_EQ(Do("after 500 vanish"), "OK after 500");
  Do("after 100 raw 06");
  EXPECT_EQ(reader.NextDeadline(), 100);
  EXPECT_TRUE(reader.TakeScheduled(99).empty());
  EXPECT_EQ(reader.TakeScheduled(100), std::vector<std::string>{"raw 06"});
  EXPECT_EQ(reader.TakeScheduled(600), std::vector<std::string>{"vanish"});

  // A swipe armed for the host's next "VR" goes out right before the answer, once.
  EXPECT_EQ(Do("before VR swipe 0:123"), "OK before VR");
  EXPECT_EQ(Host(BuildFrame("PR", options.format)), "\x06");
  const std::string answer = BuildFrame("VR" + options.firmware + options.date, options.format);
  EXPECT_EQ(Host(BuildFrame("VR", options.format)), BuildFrame("CR00123", options.format) + answer);
  EXPECT_EQ(Host(BuildFrame("VR", options.format)), answer);

  EXPECT_EQ(Do("cut 5 0:1234"), "OK 02 43 52 30 30");
  EXPECT_EQ(Do("stall on"), "OK stall on");
  EXPECT_TRUE(reader.Stalled());
  Do("stall off");
  EXPECT_FALSE(reader.Stalled());
}

TEST_F(ScenarioTest, BadScenarioInputGetsAnErrorLine) {
  for (const char* line : {"swipes", "swipes 0 10", "swipes 5", "swipes 5 x", "swipes 5 40-20", "swipes 5 10 seed",
                           "swipes 5 10 corrupt=101", "swipes 5 10 bogus=1", "resend", "resend -1", "stream 10",
                           "stream 115200", "stream 115200 zz", "stall", "stall maybe", "after 10", "after x raw 06",
                           "before VR", "cut", "cut 0 0:1", "cut 3 nocolon"}) {
    EXPECT_EQ(Do(line).substr(0, 4), "ERR ") << line;
  }
  EXPECT_EQ(reader.TakeDue(now), "");
  Do("vanish");
  EXPECT_EQ(Do("swipes 2 10").substr(0, 3), "ERR");
  EXPECT_EQ(Do("stream 9600 random").substr(0, 3), "ERR");
}

}  // namespace
