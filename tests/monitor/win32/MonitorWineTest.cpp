// The communication monitor as a real window under Wine: it opens, a logged
// frame shows in its EDIT control, typed lines are sent, Close hides it. Also
// the toolkit's own services: timers, modal loops, message boxes, SendSync.
#include <windows.h>
#undef MessageBox

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "device/Comm.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"

namespace km27 {
namespace {

using ui::Win32Application;
using ui::Win32FormPeer;

// A port that is always open and keeps what is written.
class StubPort : public TCustomCommX {
 public:
  bool IsOpen() const override { return true; }
  void Open() override {}
  void Close() override {}
  bool Write(const char* data, int32_t length) override {
    written.append(data, static_cast<size_t>(length));
    return true;
  }
  int32_t Read(char*, int32_t) override { return 0; }
  void ClearTransmit() override {}
  bool FlushTransmit(int32_t) override { return true; }
  void ClearReceive() override {}
  int32_t InCount() override { return 0; }
  void SetRTS(bool) override {}
  void SetDTR(bool) override {}
  bool CTS() override { return true; }
  bool DSR() override { return true; }
  std::string written;
};

std::string Text(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  s.resize(static_cast<size_t>(GetWindowTextA(h, s.data(), n + 1)));
  return s;
}

class Win32Ui : public ::testing::Test {
 protected:
  Win32Ui() { ui::SetApp(&app); }
  ~Win32Ui() override { ui::SetApp(nullptr); }
  // Runs the message loop for ms of real time.
  void Pump(uint32_t ms) {
    uint32_t start = GetTickCount();
    while (GetTickCount() - start < ms) {
      app.ProcessMessages();
      Sleep(5);
    }
  }
  template <typename Pred>
  bool PumpUntil(Pred pred, uint32_t ms) {
    uint32_t start = GetTickCount();
    while (!pred()) {
      if (GetTickCount() - start >= ms) return false;
      app.ProcessMessages();
      Sleep(5);
    }
    return true;
  }
  static HWND Window(const ui::Form& f, const ui::Component& c) {
    return static_cast<Win32FormPeer*>(f.Peer())->ControlWindow(c);
  }
  Win32Application app;
};

TEST_F(Win32Ui, MonitorWindowLogsSendsAndHides) {
  auto* port = new StubPort;
  TfrmComm comm{std::unique_ptr<TCustomCommX>(port)};
  comm.Show();
  Pump(100);
  // Other programs under test may have a monitor window of their own: this
  // one is the window of this process's form.
  HWND w = static_cast<Win32FormPeer*>(comm.Peer())->Hwnd();
  ASSERT_NE(w, nullptr);
  char wcls[32] = {};
  GetClassNameA(w, wcls, sizeof wcls);
  EXPECT_STREQ(wcls, "TfrmComm");
  EXPECT_EQ(Text(w), "Communication Monitor");
  EXPECT_TRUE(IsWindowVisible(w));
  RECT rc;
  GetClientRect(w, &rc);
  EXPECT_EQ(rc.right, 628);
  EXPECT_EQ(rc.bottom, 336);
  HWND memo = Window(comm, *comm.memMonitor);
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(GetParent(memo), w);
  char cls[32] = {};
  GetClassNameA(memo, cls, sizeof cls);
  EXPECT_STRCASEEQ(cls, "Edit");
  EXPECT_EQ(Text(Window(comm, *comm.lblMgr)), TfrmComm::kHexHeader);
  EXPECT_EQ(SendMessageA(Window(comm, *comm.chkType), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_GT(static_cast<DWORD>(SendMessageA(memo, EM_GETLIMITTEXT, 0, 0)), 30000u);  // as much as it can hold

  // The greeting half a second after the window opened.
  ASSERT_TRUE(PumpUntil([&] { return !Text(memo).empty(); }, 3000));
  EXPECT_EQ(Text(memo), "Only showing\r\n");

  comm.LogFrame(std::string("\x02VR\x03\x07", 5), Direction::Sent);
  std::string want = "SD : 02 56 52 03 07" + std::string(33, ' ') + "    .VR.." + std::string(11, ' ') + "\r\n";
  EXPECT_EQ(Text(memo), "Only showing\r\n" + want);
  EXPECT_EQ(Text(memo), comm.memMonitor->Text());

  // The user types a line and Enter: it goes out with CR LF and is logged.
  SetFocus(memo);
  SendMessageA(memo, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  for (char ch : std::string("ABC\r")) PostMessageA(memo, WM_CHAR, static_cast<unsigned char>(ch), 1);
  Pump(100);
  EXPECT_EQ(port->written.substr(0, 5), "ABC\r\n");
  std::string after = Text(memo);
  EXPECT_EQ(after, comm.memMonitor->Text());
  EXPECT_NE(after.find("\r\nABC\r\nSD : 41 42 43 0D 0A"), std::string::npos) << after;

  // Keep the window up for a screenshot when asked to.
  if (const char* hold = std::getenv("KM27_SCREENSHOT_HOLD_MS")) Pump(static_cast<uint32_t>(std::atoi(hold)));

  // Close hides; the window and its log stay.
  PostMessageA(Window(comm, *comm.btnClose), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !comm.Showing(); }, 3000));
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_TRUE(IsWindow(w));
  comm.LogFrame("hidden", Direction::Received);
  EXPECT_EQ(Text(memo), after);

  // The title bar's close box hides as well.
  comm.Show();
  Pump(50);
  EXPECT_TRUE(IsWindowVisible(w));
  PostMessageA(w, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !comm.Showing(); }, 3000));
  EXPECT_FALSE(IsWindowVisible(w));
}

TEST_F(Win32Ui, PlainTextModeThroughTheCheckBox) {
  auto* port = new StubPort;
  TfrmComm comm{std::unique_ptr<TCustomCommX>(port)};
  comm.Show();
  Pump(50);
  PostMessageA(Window(comm, *comm.chkType), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !comm.chkType->Checked(); }, 3000));
  EXPECT_EQ(SendMessageA(Window(comm, *comm.chkType), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Text(Window(comm, *comm.lblMgr)), TfrmComm::kTextHeader);
  comm.LogFrame(std::string("\x02VR\0\x03", 5), Direction::Received);
  // A 0 byte does not cut the text of the control short.
  EXPECT_NE(Text(Window(comm, *comm.memMonitor)).find("RD :\x02VR \x03\r\n"), std::string::npos);
  comm.Hide();
}

TEST_F(Win32Ui, ModalFormDisablesTheOthersUntilItHides) {
  ui::Form other("frmOther");
  other.SetCaption("Other");
  other.Show();
  ui::Form dlg("frmDlg");
  dlg.SetCaption("Modal");
  auto& ok = dlg.Make<ui::Button>("btnOK");
  ok.SetBounds(10, 10, 75, 25);
  ok.SetCaption("OK");
  ok.OnClick = [&] { dlg.Hide(); };
  auto& t = dlg.Make<ui::Timer>("tmrClick", 200, false);
  bool otherDisabled = false;
  t.OnTimer = [&] {
    t.SetEnabled(false);
    otherDisabled = !IsWindowEnabled(static_cast<Win32FormPeer*>(other.Peer())->Hwnd());
    PostMessageA(Window(dlg, ok), BM_CLICK, 0, 0);
  };
  dlg.OnShow = [&] { t.SetEnabled(true); };
  dlg.ShowModal();
  EXPECT_FALSE(dlg.Showing());
  EXPECT_TRUE(otherDisabled);
  EXPECT_TRUE(IsWindowEnabled(static_cast<Win32FormPeer*>(other.Peer())->Hwnd()));
  other.Hide();
}

TEST_F(Win32Ui, MessageBoxReturnsTheButtonChosen) {
  std::atomic<bool> stop{false};
  std::thread answer([&] {
    while (!stop) {
      HWND box = FindWindowA("#32770", "KM27 question");
      if (box) {
        PostMessageA(box, WM_COMMAND, IDNO, 0);
        return;
      }
      Sleep(20);
    }
  });
  ui::MsgResult r = app.MessageBox("Go on?", "KM27 question", ui::MsgIcon::Confirmation, ui::MsgButtons::YesNoCancel);
  stop = true;
  answer.join();
  EXPECT_EQ(r, ui::MsgResult::No);
}

TEST_F(Win32Ui, SendSyncRunsOnTheUserInterfaceThread) {
  DWORD ranOn = 0;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    app.SendSync([&] { ranOn = GetCurrentThreadId(); });
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 5000));
  worker.join();
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}

TEST_F(Win32Ui, RepeatingTimerAndIntervalZero) {
  ui::Form f("frmTimer");
  auto& t = f.Make<ui::Timer>("tmrTick", 20, true);
  int n = 0;
  t.OnTimer = [&] { ++n; };
  EXPECT_TRUE(PumpUntil([&] { return n >= 3; }, 5000));
  t.SetInterval(0);
  int stopped = n;
  Pump(150);
  EXPECT_EQ(n, stopped);
}

}  // namespace
}  // namespace km27
