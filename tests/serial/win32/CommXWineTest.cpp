// TCommX on Wine against the reader simulator on a COM port backed by a
// pseudo-terminal: open, missing port, open twice, large writes, exchanges,
// card reads, close and reopen, a port that vanishes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
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
    sim.Command("stall off");
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

// The reader check's reopen from inside a notification: the port is closed
// and opened again before the notification returns, at once.
TEST_F(WinePort, CloseAndOpenInsideANotification) {
  port.Open();
  bool done = false, reopened = false, oldThreadGone = false;
  std::string error;
  port.OnReceive = [&](TCustomCommX&, int32_t) {
    if (done) return;
    done = true;
    const DWORD oldThread = port.ReceiveThreadId();
    port.Close();
    try {
      port.Open();
      reopened = true;
    } catch (const ECommError& e) {
      error = e.what();
    }
    // The old receive thread has let go of the port by now. (Wine would
    // open the port even while it still held it; Windows would not.)
    HANDLE t = OpenThread(SYNCHRONIZE, FALSE, oldThread);
    oldThreadGone = !t || WaitForSingleObject(t, 0) == WAIT_OBJECT_0;
    if (t) CloseHandle(t);
  };
  sim.Command("raw 06");
  ASSERT_TRUE(PumpUntil([&] { return done; }, 5000));
  EXPECT_TRUE(reopened) << error;
  EXPECT_TRUE(oldThreadGone);
  ASSERT_TRUE(port.IsOpen());
  port.OnReceive = [this](TCustomCommX& sender, int32_t size) {
    std::string buf(static_cast<size_t>(size), '\0');
    int32_t n = sender.Read(buf.data(), size);
    if (n > 0) received.append(buf.data(), static_cast<size_t>(n));
  };
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
}

// A driver that never ends a write early: a purge and a cancel do not reach
// it, and it has no time-out of its own (CTS held low, a stuck driver).
BOOL WINAPI IgnorePurge(HANDLE, DWORD) { return TRUE; }
BOOL WINAPI IgnoreCancel(HANDLE) { return TRUE; }

void PlayStuckDriver(TCommX& p) {
  p.driver.purge = &IgnorePurge;
  p.driver.cancel = &IgnoreCancel;
  p.SetTimeOutTrans(0);
  p.SetFlowCtrl(cfcRtsCts);
  p.SetBufLenTrans(65536);
}

// Writes more than the line takes while the reader reads nothing, and lets
// the first write go pending.
void FillTheLine(TCommX& p) {
  const std::string data(4 * 65536, 'x');
  ASSERT_TRUE(p.Write(data.data(), static_cast<int32_t>(data.size())));
  PumpUntil([] { return false; }, 300);
  ASSERT_GT(p.PendingBytes(), 0);
}

TEST_F(WinePort, WriteThatNeverCompletesCannotHoldUpTheProgram) {
  PlayStuckDriver(port);
  int failures = 0;
  port.OnFailure = [&](TCustomCommX&) { ++failures; };
  ASSERT_EQ(sim.Command("stall on"), "OK stall on");
  port.Open();
  FillTheLine(port);

  DWORD t0 = GetTickCount();
  port.ClearTransmit();  // what a command does before it is written
  std::printf("[ benchmark ] ClearTransmit on a stuck write took %lu ms\n", GetTickCount() - t0);
  EXPECT_EQ(port.PendingBytes(), 0);
  // Told once, however much more goes nowhere.
  EXPECT_TRUE(PumpUntil([&] { return failures > 0; }, 5000));
  EXPECT_TRUE(port.WriteString(kVr));
  port.ClearTransmit();
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(failures, 1);

  t0 = GetTickCount();
  port.Close();  // Stop
  std::printf("[ benchmark ] Close with a stuck write took %lu ms\n", GetTickCount() - t0);
  EXPECT_FALSE(port.IsOpen());

  // The reader takes its input again: the port opens and works as before.
  ASSERT_EQ(sim.Command("stall off"), "OK stall off");
  port.driver = TCommDriverCalls{};
  port.SetTimeOutTrans(3000);
  port.Open();
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
  EXPECT_EQ(failures, 1);
}

TEST_F(WinePort, ProgramEndsWithAWriteThatNeverCompletes) {
  auto stuck = std::make_unique<TCommX>();
  stuck->SetPortNo(sim.ComNumber());
  PlayStuckDriver(*stuck);
  ASSERT_EQ(sim.Command("stall on"), "OK stall on");
  stuck->Open();
  FillTheLine(*stuck);
  const DWORD t0 = GetTickCount();
  stuck.reset();  // the port closes with its owner as the program ends
  std::printf("[ benchmark ] ending with a stuck write took %lu ms\n", GetTickCount() - t0);
  ASSERT_EQ(sim.Command("stall off"), "OK stall off");
  port.Open();  // nothing is left holding the port
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
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

// A driver whose open does not return until the test lets it (a Bluetooth
// port whose device is away, a hung driver), or returns only after a while
// (a USB adapter waking up). Thread timers count the messages handled while
// Open waits.
HANDLE gOpenGate = nullptr;  // manual-reset; the driver's open waits for it when set
DWORD gOpenDelayMs = 0;
volatile LONG gOpensReturned = 0;
int gTicks = 0;
TCommX* gClosing = nullptr;

HANDLE WINAPI PlayedCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                               DWORD flags, HANDLE templ) {
  if (gOpenGate)
    WaitForSingleObject(gOpenGate, INFINITE);
  else
    Sleep(gOpenDelayMs);
  HANDLE h = CreateFileA(name, access, share, sa, disposition, flags, templ);
  InterlockedIncrement(&gOpensReturned);
  return h;
}

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++gTicks; }
bool gNestedOpenRefused = false;
void CALLBACK OpenAndCloseOnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!gClosing) return;
  try {
    gClosing->Open();
  } catch (const ECommError&) {
    gNestedOpenRefused = true;
  }
  gClosing->Close();
}

// Opens the port as it normally opens, trying until ms have passed (a port
// still held by a helper that was left behind is busy for that long).
bool OpensWithin(TCommX& port, DWORD ms) {
  port.driver = TCommDriverCalls{};
  return PumpUntil(
      [&] {
        try {
          port.Open();
          return true;
        } catch (const ECommError&) {
          return false;
        }
      },
      ms);
}

TEST_F(WinePort, OpenThatNeverReturnsIsGivenUp) {
  gOpenGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gOpensReturned = 0;
  gTicks = 0;
  port.driver.createFile = &PlayedCreateFile;
  port.openWaitMs = 1500;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CountTick);
  const DWORD t0 = GetTickCount();
  EXPECT_THROW(port.Open(), ECommError);
  std::printf("[ benchmark ] Open of a port that never opens gave up after %lu ms\n", GetTickCount() - t0);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_GT(gTicks, 0);  // the program went on handling its messages

  // The driver's open returns at last: the helper lets the port go, and the
  // port opens and works as before.
  SetEvent(gOpenGate);
  EXPECT_TRUE(PumpUntil([] { return gOpensReturned > 0; }, 5000));
  ASSERT_TRUE(OpensWithin(port, 5000));
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
  CloseHandle(gOpenGate);
  gOpenGate = nullptr;
}

TEST_F(WinePort, SlowOpenIsWaitedFor) {
  gOpenDelayMs = 1200;
  port.driver.createFile = &PlayedCreateFile;
  const DWORD t0 = GetTickCount();
  port.Open();
  std::printf("[ benchmark ] Open of a port that takes %lu ms took %lu ms\n", gOpenDelayMs, GetTickCount() - t0);
  ASSERT_TRUE(port.IsOpen());
  ASSERT_TRUE(port.WriteString(kVr));
  EXPECT_TRUE(ReceiveAtLeast(21));
  gOpenDelayMs = 0;
}

TEST_F(WinePort, CloseWhileTheOpenWaitsWins) {
  gOpenDelayMs = 600;
  port.driver.createFile = &PlayedCreateFile;
  gClosing = &port;
  gNestedOpenRefused = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &OpenAndCloseOnTick);
  EXPECT_THROW(port.Open(), ECommError);
  KillTimer(nullptr, timer);
  gClosing = nullptr;
  EXPECT_TRUE(gNestedOpenRefused);  // one open at a time
  EXPECT_FALSE(port.IsOpen());      // the Close asked for meanwhile stands
  ASSERT_TRUE(OpensWithin(port, 5000));
  gOpenDelayMs = 0;
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
