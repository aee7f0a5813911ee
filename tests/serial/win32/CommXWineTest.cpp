// TCommX on Wine against the reader simulator on a COM port backed by a
// pseudo-terminal: open, missing port, open twice, large writes, exchanges,
// card reads, close and reopen, a port that vanishes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "device/win32/CommX.h"
#include "tests/serial/win32/SimClient.h"

namespace km27 {
namespace {

using test::SimClient;

const std::string kVr("\x02VR\x03\x07", 5);

// Runs this thread's message loop until pred holds or ms have passed.
template <typename Pred>
bool PumpUntil(Pred pred, DWORD ms) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start >= ms) return pred();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  return true;
}

std::string HexTail(const std::string& data, size_t n) {
  std::string out;
  char hex[4];
  for (size_t i = data.size() - n; i < data.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(data[i]));
    out += hex;
  }
  return out;
}

class WinePort : public ::testing::Test {
 protected:
  SimClient sim;
  TCommX port;
  std::string received;
  DWORD uiThread = GetCurrentThreadId();
  bool offUiThread = false;

  void SetUp() override {
    if (!sim.Available()) GTEST_SKIP() << "run through serial_win32.sh (no simulator)";
    port.SetPortNo(sim.ComNumber());
    port.SetFlowCtrl(cfcNone);
    port.OnReceive = [this](TCustomCommX& sender, int32_t size) {
      if (GetCurrentThreadId() != uiThread) offUiThread = true;
      std::string buf(static_cast<size_t>(size), '\0');
      int32_t n = sender.Read(buf.data(), size);
      if (n > 0) received.append(buf.data(), static_cast<size_t>(n));
    };
    sim.Command("silent off");
    sim.Command("clear");
  }
  bool ReceiveAtLeast(size_t n, DWORD ms = 5000) {
    return PumpUntil([&] { return received.size() >= n; }, ms);
  }
};

TEST(WineCommX, DefaultsAndFlagWords) {
  TCommX port;
  EXPECT_EQ(port.PortNo(), 1);
  EXPECT_EQ(port.BitRate(), 9600);
  EXPECT_EQ(port.FlowCtrl(), cfcRtsCts);
  EXPECT_EQ(port.BufLenTrans(), 2048);
  EXPECT_EQ(port.Handle(), INVALID_HANDLE_VALUE);
  EXPECT_NE(port.WindowHandle(), nullptr);
  EXPECT_EQ(TCommX::FlowFlags(cfcRtsCts), 0x2017u);
  EXPECT_EQ(TCommX::FlowFlags(cfcDtrDsr), 0x102Bu);
  EXPECT_EQ(TCommX::FlowFlags(cfcXonXoff), 0x1313u);
  EXPECT_EQ(TCommX::FlowFlags(cfcHalfHigh), 0x0013u);
  EXPECT_EQ(TCommX::FlowFlags(cfcHalfLow), 0x1013u);
  EXPECT_EQ(TCommX::FlowFlags(cfcNone), 0x1013u);
  // The flag word in the DCB's bit fields.
  DCB dcb{};
  DWORD flags = TCommX::FlowFlags(cfcRtsCts);
  std::memcpy(reinterpret_cast<char*>(&dcb) + 8, &flags, 4);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 1u);
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  char buf[4];
  EXPECT_FALSE(port.Write("x", 1));
  EXPECT_TRUE(port.WriteString(""));
  EXPECT_EQ(port.Read(buf, 4), -1);
  EXPECT_EQ(port.InCount(), 0);
  EXPECT_FALSE(port.CTS());
  port.Close();
}

TEST_F(WinePort, MissingPort) {
  port.SetPortNo(18);
  try {
    port.Open();
    FAIL() << "COM18 opened";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "Can't open COM port.");
  }
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Handle(), INVALID_HANDLE_VALUE);
}

TEST_F(WinePort, OpenTwiceAndRoundTrip) {
  port.Open();
  ASSERT_TRUE(port.IsOpen());
  HANDLE h = port.Handle();
  try {
    port.Open();
    FAIL() << "opened twice";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "Can't open COM port.");
  }
  EXPECT_EQ(port.Handle(), h);
  ASSERT_TRUE(port.WriteString(kVr));
  ASSERT_TRUE(ReceiveAtLeast(21)) << received.size() << " bytes";
  EXPECT_EQ(received.substr(0, 3), "\x02VR");
  EXPECT_EQ(received.size(), 21u);
  EXPECT_FALSE(offUiThread);
  EXPECT_EQ(sim.Received(), kVr);
  // BufLenReceive on the open port: queue sizes, then the flow control limits again.
  port.SetBufLenReceive(1000);
  EXPECT_EQ(port.Dcb().XonLim, 250);
  EXPECT_EQ(port.Dcb().XoffLim, 250);
}

TEST_F(WinePort, LargeWriteArrivesIntact) {
  sim.Command("silent on");
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
  DWORD t0 = GetTickCount();
  ASSERT_TRUE(port.Write(data.data(), static_cast<int32_t>(data.size())));
  EXPECT_LE(port.QueuedBlocks(), 3) << "2048 + 2048 + 904";
  ASSERT_EQ(sim.Command("wait-rx " + HexTail(data, 8) + " 10000"), "OK");
  std::printf("[ benchmark ] 5000 bytes written and received in %lu ms\n", GetTickCount() - t0);
  std::string got = sim.Received();
  size_t same = 0;
  while (same < got.size() && same < data.size() && got[same] == data[same]) ++same;
  EXPECT_TRUE(got == data) << got.size() << " bytes arrived, the first " << same << " as written";
  PumpUntil([&] { return port.PendingBytes() == 0; }, 3000);
  EXPECT_EQ(port.PendingBytes(), 0);
  EXPECT_EQ(port.QueuedBlocks(), 0);
  port.ClearTransmit();
}

TEST_F(WinePort, CardReadsAndBadInputArrive) {
  port.Open();
  ASSERT_EQ(sim.Command("swipe 0:1234567890 1: 0:ABC").substr(0, 2), "OK");
  std::string frame = std::string("\x02" "CR00123456789" "0\x1F" "1\x1F" "0ABC\x03");
  ASSERT_TRUE(ReceiveAtLeast(frame.size() + 1));
  EXPECT_EQ(received.substr(0, frame.size()), frame);
  received.clear();
  ASSERT_EQ(sim.Command("random 3000 9"), "OK sent 3000 bytes");
  ASSERT_TRUE(ReceiveAtLeast(3000));
  EXPECT_EQ(received.size(), 3000u);
  received.clear();
  ASSERT_EQ(sim.Command("raw 06"), "OK 06");
  ASSERT_TRUE(ReceiveAtLeast(1));
  EXPECT_EQ(received, "\x06");
}

TEST_F(WinePort, CloseAndReopen) {
  port.Open();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  port.Close();  // nothing on a closed port
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
  // PortNo on an open port closes and opens again.
  port.SetPortNo(sim.ComNumber());
  EXPECT_TRUE(port.IsOpen());
  received.clear();
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
}

TEST_F(WinePort, CloseFromInsideANotification) {
  port.Open();
  port.OnReceive = [](TCustomCommX& sender, int32_t) { sender.Close(); };
  sim.Command("raw 06");
  EXPECT_TRUE(PumpUntil([&] { return !port.IsOpen(); }, 5000));
  port.OnReceive = nullptr;
  // The receive thread let go of the port once the notification returned.
  EXPECT_TRUE(PumpUntil(
      [&] {
        try {
          port.Open();
          return true;
        } catch (const ECommError&) {
          return false;
        }
      },
      3000));
}

// Linux refuses parity on a pseudo-terminal and Wine passes the refusal on
// (from whichever setter writes the DCB next): a setter's message, and a port
// that Open leaves closed again.
TEST_F(WinePort, RefusedSettingsRaiseTheirMessage) {
  port.SetParityBit(cpbEven);
  try {
    port.Open();
    std::printf("[ note ] even parity accepted on this pseudo-terminal\n");
    port.Close();
  } catch (const ECommError& e) {
    std::string m = e.what();
    EXPECT_TRUE(m == commx_messages::kParity || m == commx_messages::kStopBit || m == commx_messages::kFlowCtrl ||
                m == commx_messages::kXonChar || m == commx_messages::kXoffChar || m == commx_messages::kBitRate ||
                m == commx_messages::kCharSize);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Handle(), INVALID_HANDLE_VALUE);
  }
  port.SetParityBit(cpbNone);
  port.Open();
  port.SetBitRate(19200);
  EXPECT_EQ(port.Dcb().BaudRate, 19200u);
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
}

// Last: the simulator comes back at the same place afterwards.
TEST_F(WinePort, VanishingPort) {
  port.Open();
  ASSERT_EQ(sim.Command("vanish"), "OK vanished");
  Sleep(300);
  PumpUntil([] { return false; }, 300);
  EXPECT_FALSE(port.CTS());
  port.WriteString(kVr);  // goes nowhere, but neither crashes nor hangs
  PumpUntil([] { return false; }, 200);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THROW(port.Open(), ECommError);
  ASSERT_EQ(sim.Command("reconnect").substr(0, 2), "OK");
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
}

}  // namespace
}  // namespace km27
