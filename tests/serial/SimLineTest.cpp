// The simulator's scenarios on a real pseudo-terminal: a run of reads, a
// stream that never goes silent, a write side that stops reading, and an
// unplug timed for later (the simulator program, not only its reader logic).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/serial/SimProcess.h"

namespace km27::test {
namespace {

using Clock = std::chrono::steady_clock;

class SimLine : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/km27-simline-XXXXXX";
    dir = mkdtemp(tmpl);
    sim = std::make_unique<SimProcess>(dir, 7);
    ASSERT_TRUE(sim->Ready()) << SimProcess::Program();
    fd = ::open(sim->LinkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
  }
  void TearDown() override {
    if (fd >= 0) ::close(fd);
    sim.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  // Reads what arrives on the line until `enough` bytes came or ms passed.
  std::string ReadLine(size_t enough, int ms) {
    std::string got;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < enough && Clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      char buf[4096];
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }
  template <typename Pred>
  bool Within(int ms, Pred pred) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
      if (Clock::now() >= end) return pred();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  std::string dir;
  std::unique_ptr<SimProcess> sim;
  int fd = -1;
};

TEST_F(SimLine, RunOfReadsAndAStream) {
  ASSERT_EQ(sim->Command("swipes 5 20 seed=2"), "OK swipes 5");
  std::string line;
  size_t frames = 0;
  for (int i = 0; i < 100 && frames < 5; ++i) {
    line += ReadLine(1, 50);
    frames = 0;
    for (size_t at = line.find("\x02" "CR0"); at != std::string::npos; at = line.find("\x02" "CR0", at + 1)) ++frames;
  }
  EXPECT_EQ(frames, 5u) << line.size() << " bytes";
  EXPECT_NE(sim->Command("stats").find("reads=5 "), std::string::npos) << sim->Command("stats");

  ASSERT_EQ(sim->Command("stream 115200 random"), "OK stream 11520 bytes/s");
  const auto start = Clock::now();
  std::string stream = ReadLine(100000, 500);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  sim->Command("stream off");
  // A busy machine may slow the simulator down; it must still deliver a
  // good part of the rate and never more than the rate allows.
  EXPECT_GT(stream.size(), 1000u);
  EXPECT_LT(static_cast<double>(stream.size()), 11520.0 * seconds + 1300.0);
}

TEST_F(SimLine, StalledReaderLetsTheHostsWritesBackUp) {
  ASSERT_EQ(sim->Command("stall on"), "OK stall on");
  const std::string block(1024, 'x');
  size_t written = 0;
  bool backedUp = false;
  while (written < (16u << 20)) {
    ssize_t n = ::write(fd, block.data(), block.size());
    if (n < 0) {
      backedUp = errno == EAGAIN;
      break;
    }
    written += static_cast<size_t>(n);
  }
  EXPECT_TRUE(backedUp) << written << " bytes taken";
  // What the line holds for the host and the host has not read shows too.
  ASSERT_EQ(sim->Command("raw 41 42 43"), "OK 41 42 43");
  EXPECT_TRUE(Within(3000, [&] { return sim->Command("stats").find("backlog=3") != std::string::npos; }))
      << sim->Command("stats");
  ASSERT_EQ(sim->Command("stall off"), "OK stall off");
  EXPECT_TRUE(Within(5000, [&] {
    pollfd p{fd, POLLOUT, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLOUT);
  }));
  EXPECT_TRUE(Within(5000, [&] { return sim->Received().size() >= written; }));
}

TEST_F(SimLine, UnplugTimedForLaterAndReplug) {
  ASSERT_EQ(sim->Command("cut 6 0:123456"), "OK 02 43 52 30 30 31");
  ASSERT_EQ(sim->Command("after 100 vanish"), "OK after 100");
  ASSERT_EQ(sim->Command("after 400 reconnect"), "OK after 400");
  EXPECT_EQ(ReadLine(6, 2000), std::string("\x02" "CR001"));
  EXPECT_TRUE(Within(3000, [&] { return !std::filesystem::exists(sim->LinkPath()); })) << "unplugged";
  EXPECT_TRUE(Within(3000, [&] { return std::filesystem::exists(sim->LinkPath()); })) << "plugged in again";
  ::close(fd);
  fd = ::open(sim->LinkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(sim->Command("swipe 0:9").substr(0, 2), "OK");
  EXPECT_EQ(ReadLine(8, 2000).size(), 8u);
}

}  // namespace
}  // namespace km27::test
