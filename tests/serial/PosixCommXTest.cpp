// The POSIX serial port layer against the reader simulator on a
// pseudo-terminal: opening, exchanges, card reads, large writes, a port that
// vanishes, and bad input from the line.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "device/posix/PosixCommX.h"
#include "tests/serial/SimProcess.h"
#include "tests/support/RealTimeToolkit.h"

namespace km27 {
namespace {

using test::SimProcess;

const std::string kVr("\x02VR\x03\x07", 5);

struct TempDir {
  std::string path;
  TempDir() {
    char tmpl[] = "/tmp/km27-serial-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

class PosixPort : public ::testing::Test {
 protected:
  test::RealTimeToolkit toolkit;
  TempDir dir;
  std::unique_ptr<SimProcess> sim;
  TCommX port;
  std::string received;  // what OnReceive read
  int receiveCalls = 0;
  bool offUiThread = false;

  void SetUp() override {
    SetSerialDeviceDirectory(dir.path);
    port.SetPortNo(11);
    std::thread::id ui = std::this_thread::get_id();
    port.OnReceive = [this, ui](TCustomCommX& sender, int32_t size) {
      if (std::this_thread::get_id() != ui) offUiThread = true;
      ++receiveCalls;
      std::string buf(static_cast<size_t>(size), '\0');
      int32_t n = sender.Read(buf.data(), size);
      if (n > 0) received.append(buf.data(), static_cast<size_t>(n));
    };
  }
  void StartSim(std::vector<std::string> args = {}) {
    sim = std::make_unique<SimProcess>(dir.path, 11, std::move(args));
    ASSERT_TRUE(sim->Ready()) << "km27sim did not start: " << SimProcess::Program();
  }
  bool ReceiveAtLeast(size_t n, uint32_t ms = 3000) {
    return toolkit.PumpUntil([&] { return received.size() >= n; }, ms);
  }
};

TEST(PosixCommX, DefaultsAndClosedPortBehaviour) {
  TCommX port;
  EXPECT_EQ(port.PortNo(), 1);
  EXPECT_EQ(port.BitRate(), 9600);
  EXPECT_EQ(port.CharSize(), 8);
  EXPECT_EQ(port.ParityBit(), cpbNone);
  EXPECT_EQ(port.StopBit(), csb1);
  EXPECT_EQ(port.FlowCtrl(), cfcRtsCts);
  EXPECT_EQ(port.TimeOutTrans(), 3000);
  EXPECT_EQ(port.TimeOutReceive(), 3000);
  EXPECT_EQ(port.XonChar(), 0x11);
  EXPECT_EQ(port.XoffChar(), 0x13);
  EXPECT_EQ(port.BufLenTrans(), 2048);
  EXPECT_EQ(port.BufLenReceive(), 2048);
  EXPECT_EQ(port.Handle(), -1);
  // Closed: setters only store (even values a driver would refuse), operations report failure.
  port.SetBitRate(12345);
  port.SetCharSize(3);
  EXPECT_EQ(port.BitRate(), 12345);
  char buf[4];
  EXPECT_FALSE(port.Write("x", 1));
  EXPECT_TRUE(port.Write("x", 0));
  EXPECT_TRUE(port.WriteString(""));
  EXPECT_EQ(port.Read(buf, 4), -1);
  EXPECT_EQ(port.InCount(), 0);
  EXPECT_FALSE(port.CTS());
  EXPECT_FALSE(port.DSR());
  port.SetRTS(true);
  port.ClearTransmit();
  port.ClearReceive();
  port.Close();
  EXPECT_EQ(TCustomCommX::CharacterTime(9600), 2);
  EXPECT_EQ(TCustomCommX::CharacterTime(19200), 1);
  EXPECT_EQ(TCustomCommX::CharacterTime(300), 34);
}

TEST_F(PosixPort, MissingPortAndOpeningTwice) {
  try {
    port.Open();
    FAIL() << "opened a port that does not exist";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "Can't open COM port.");
  }
  EXPECT_FALSE(port.IsOpen());

  StartSim();
  port.Open();
  ASSERT_TRUE(port.IsOpen());
  int handle = port.Handle();
  EXPECT_THROW(port.Open(), ECommError);
  EXPECT_EQ(port.Handle(), handle) << "the open port is left as it was";
  TCommX other;
  other.SetPortNo(11);
  EXPECT_THROW(other.Open(), ECommError) << "the port is exclusive";
  // Settings the device refuses raise with their own message and leave the port open.
  try {
    port.SetBitRate(12345);
    FAIL();
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), commx_messages::kBitRate);
  }
  EXPECT_THROW(port.SetCharSize(9), ECommError);
  EXPECT_TRUE(port.IsOpen());
  port.SetBitRate(19200);
  port.SetParityBit(cpbEven);
  port.SetStopBit(csb2);
  port.SetFlowCtrl(cfcXonXoff);
  port.SetCharSize(7);
  port.SetCharSize(8);
  port.SetFlowCtrl(cfcNone);
  EXPECT_FALSE(port.CTS()) << "a pseudo-terminal has no modem lines";
  EXPECT_FALSE(port.DSR());
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Handle(), -1);
}

TEST_F(PosixPort, VersionRoundTripOnTheUserInterfaceThread) {
  StartSim({"--firmware", "FW-1234567", "--date", "261130"});
  port.SetFlowCtrl(cfcNone);
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  ASSERT_TRUE(ReceiveAtLeast(21)) << "got " << received.size() << " bytes";
  EXPECT_EQ(received.substr(0, 3), "\x02VR");
  EXPECT_EQ(received.substr(3, 10), "FW-1234567");
  EXPECT_EQ(received.substr(13, 6), "261130");
  EXPECT_FALSE(offUiThread);
  EXPECT_EQ(sim->Received(), kVr);

  // Close and reopen: the same exchange again, nothing left over from before.
  port.Close();
  received.clear();
  port.Open();
  ASSERT_TRUE(port.WriteString(std::string("\x02SP\x03\x00", 5)));
  ASSERT_TRUE(ReceiveAtLeast(8));
  EXPECT_EQ(received, std::string("\x02SP0FF\x03\x30"));
}

TEST_F(PosixPort, CardReadFramesArrive) {
  StartSim();
  port.Open();
  ASSERT_EQ(sim->Command("swipe 0:1234567890 1: 0:ABC").substr(0, 2), "OK");
  std::string frame = std::string("\x02" "CR00123456789" "0\x1F" "1\x1F" "0ABC\x03");
  ASSERT_TRUE(ReceiveAtLeast(frame.size() + 1));
  EXPECT_EQ(received.substr(0, frame.size()), frame);
  // Pieces with gaps come in as several notifications, bytes intact and in order.
  received.clear();
  receiveCalls = 0;
  ASSERT_EQ(sim->Command("split 60 0243 5230 3003 33").substr(0, 2), "OK");
  ASSERT_TRUE(ReceiveAtLeast(7));
  EXPECT_EQ(received, std::string("\x02" "CR00\x03\x33"));
  EXPECT_GE(receiveCalls, 2);
}

TEST_F(PosixPort, LargeWriteArrivesIntact) {
  StartSim({"--no-answer"});
  port.Open();
  std::string data;
  // Pseudo-random bytes: the last 8 of them occur nowhere else in the data.
  uint32_t x = 2463534242u;
  for (int i = 0; i < 5000; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    data += static_cast<char>(x & 0xFF);
  }
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(port.WriteString(data));
  std::string tail;
  for (size_t i = data.size() - 8; i < data.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(data[i]));
    tail += hex;
  }
  ASSERT_EQ(sim->Command("wait-rx " + tail + " 5000"), "OK");
  std::printf("[ benchmark ] 5000 bytes written and received in %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - t0)
                                          .count()));
  EXPECT_EQ(sim->Received(), data);
  port.ClearTransmit();
  EXPECT_EQ(port.PendingBytes(), 0);
  EXPECT_EQ(port.QueuedBlocks(), 0);
}

TEST_F(PosixPort, ManyBlocksRespectTheQueueLimit) {
  StartSim({"--no-answer"});
  port.SetBufLenTrans(16);
  port.Open();
  std::string data(16 * 100, 'x');
  int32_t most = 0;
  std::thread watcher;
  std::atomic<bool> stop{false};
  watcher = std::thread([&] {
    while (!stop) {
      most = std::max(most, port.QueuedBlocks());
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  EXPECT_TRUE(port.WriteString(data));
  EXPECT_EQ(sim->Command("wait-rx 78787878 3000"), "OK");
  toolkit.PumpUntil([&] { return port.PendingBytes() == 0; }, 3000);
  stop = true;
  watcher.join();
  EXPECT_LE(most, 32);
  EXPECT_EQ(port.PendingBytes(), 0);
  EXPECT_TRUE(toolkit.PumpUntil([&] { return sim->Received().size() == data.size(); }, 3000));
}

// A line that takes nothing: a pseudo-terminal whose other end nobody reads.
TEST_F(PosixPort, ClearTransmitDiscardsQueuedBlocks) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  ASSERT_EQ(symlink(ptsname(master), (dir.path + "/COM11").c_str()), 0);
  port.Open();
  std::string data(20 * 2048, 'z');
  ASSERT_TRUE(port.WriteString(data));
  EXPECT_TRUE(toolkit.PumpUntil([&] { return port.QueuedBlocks() < 20; }, 2000));
  EXPECT_GT(port.QueuedBlocks(), 1) << "blocks wait while the line is full";
  auto t0 = std::chrono::steady_clock::now();
  port.ClearTransmit();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  std::printf("[ benchmark ] ClearTransmit of a full line took %lld ms\n", static_cast<long long>(ms));
  EXPECT_EQ(port.PendingBytes(), 0);
  EXPECT_EQ(port.QueuedBlocks(), 0);
  port.Close();
  ::close(master);
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST_F(PosixPort, VanishingPort) {
  StartSim();
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  ASSERT_TRUE(ReceiveAtLeast(21));
  ASSERT_EQ(sim->Command("vanish"), "OK vanished");
  EXPECT_FALSE(std::filesystem::exists(sim->LinkPath()));
  // The receive thread notices the hang-up and goes quiet: no busy loop.
  double cpu0 = CpuSeconds();
  toolkit.PumpUntil([] { return false; }, 500);
  double cpu = CpuSeconds() - cpu0;
  std::printf("[ benchmark ] %.0f ms of CPU in 500 ms after the port vanished\n", cpu * 1000);
  EXPECT_LT(cpu, 0.4);
  EXPECT_TRUE(port.IsOpen()) << "the component learns of the loss only through the application";
  EXPECT_FALSE(port.CTS());
  port.WriteString(kVr);  // goes nowhere, but neither crashes nor hangs
  port.Close();
  EXPECT_THROW(port.Open(), ECommError);
  // The reader comes back at the same place.
  ASSERT_EQ(sim->Command("reconnect").substr(0, 2), "OK");
  received.clear();
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
}

TEST_F(PosixPort, BadInputFromTheLine) {
  StartSim();
  port.Open();
  ASSERT_EQ(sim->Command("random 3000 7"), "OK sent 3000 bytes");
  ASSERT_TRUE(ReceiveAtLeast(3000));
  EXPECT_EQ(received.size(), 3000u);
  received.clear();
  ASSERT_EQ(sim->Command("raw 06"), "OK 06");
  ASSERT_TRUE(ReceiveAtLeast(1));
  EXPECT_EQ(received, "\x06");
  // A line that never goes silent keeps arriving; Close still ends it promptly.
  received.clear();
  ASSERT_EQ(sim->Command("flood 2 30 31 32"), "OK flood on");
  ASSERT_TRUE(ReceiveAtLeast(600));
  EXPECT_EQ(received.substr(0, 6), "012012");
  auto t0 = std::chrono::steady_clock::now();
  port.Close();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  std::printf("[ benchmark ] Close during a flood took %lld ms\n", static_cast<long long>(ms));
  EXPECT_FALSE(port.IsOpen());
  // Closed means quiet: the flood goes on, but no notification comes any more.
  const int calls = receiveCalls;
  toolkit.PumpUntil([] { return false; }, 200);
  EXPECT_EQ(receiveCalls, calls);
  sim->Command("flood off");
  received.clear();
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(toolkit.PumpUntil([&] { return received.find("\x02VR") != std::string::npos; }, 3000));
}

// The reader check's reopen from inside a notification: closed and opened
// again before the notification returns.
TEST_F(PosixPort, CloseAndOpenInsideANotification) {
  StartSim();
  port.Open();
  bool done = false, reopened = false;
  port.OnReceive = [&](TCustomCommX& sender, int32_t) {
    if (done) return;
    done = true;
    sender.Close();
    try {
      sender.Open();
      reopened = true;
    } catch (const ECommError&) {
    }
  };
  sim->Command("raw 06");
  ASSERT_TRUE(toolkit.PumpUntil([&] { return done; }, 3000));
  EXPECT_TRUE(reopened);
  EXPECT_TRUE(port.IsOpen());
  port.OnReceive = [this](TCustomCommX& sender, int32_t size) {
    std::string buf(static_cast<size_t>(size), '\0');
    int32_t n = sender.Read(buf.data(), size);
    if (n > 0) received.append(buf.data(), static_cast<size_t>(n));
  };
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
}

// Close lets notifications through while the receive thread waits to hand
// one over; a timer that closes the port again meanwhile finds it closing.
TEST_F(PosixPort, CloseReenteredWhileTheFirstCloseWaits) {
  StartSim();
  port.Open();
  sim->Command("raw 06");
  // The arrival waits for the user-interface thread, which does not pump yet.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (toolkit.PendingSync() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GT(toolkit.PendingSync(), 0u);
  int inner = 0;
  toolkit.At(0, [&] {
    ++inner;
    port.Close();
  });
  port.Close();
  EXPECT_EQ(inner, 1);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(receiveCalls, 0) << "the notification found the port closing";
  port.Open();
  EXPECT_TRUE(port.IsOpen());
}

// A handler that reads less than there is: the rest is told again, not left
// behind until the next byte arrives.
TEST_F(PosixPort, BytesAHandlerLeavesUnreadAreToldAgain) {
  StartSim();
  port.OnReceive = [this](TCustomCommX& sender, int32_t) {
    char c;
    if (sender.Read(&c, 1) == 1) received += c;
  };
  port.Open();
  ASSERT_EQ(sim->Command("raw 41 42 43 44"), "OK 41 42 43 44");
  EXPECT_TRUE(ReceiveAtLeast(4));
  EXPECT_EQ(received, "ABCD");
}

}  // namespace
}  // namespace km27

namespace km27 {
namespace {

// A user outside the device's group hears which device, why, and which group
// to join; the group is the one `ls -l` would show for the device.
TEST(PortAccess, TheAdviceNamesTheDeviceTheReasonAndTheOwningGroup) {
  TempDir dir;
  const std::string device = dir.path + "/ttyUSB0";
  std::FILE* f = std::fopen(device.c_str(), "w");
  ASSERT_NE(f, nullptr) << device;
  std::fclose(f);
  if (getuid() == 0) {
    ASSERT_EQ(chown(device.c_str(), 0, 20), 0);  // a group other than root's
  }
  struct stat st {};
  ASSERT_EQ(stat(device.c_str(), &st), 0);
  const struct group* owner = getgrgid(st.st_gid);
  const std::string advice = PortAccessAdvice(device, EACCES);
  EXPECT_NE(advice.find(device), std::string::npos) << advice;
  EXPECT_NE(advice.find(std::strerror(EACCES)), std::string::npos) << advice;
  if (owner && st.st_gid != 0) {
    EXPECT_NE(advice.find(std::string("\"") + owner->gr_name + "\""), std::string::npos) << advice;
  }
  EXPECT_NE(advice.find("log out and in again"), std::string::npos) << advice;
}

}  // namespace
}  // namespace km27
