// The fake toolkit's virtual clock, recorder and scripts: what every window's
// native tests rely on.
#include "tests/support/FakeToolkit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "tests/support/RealTimeToolkit.h"

namespace km27::ui {
namespace {

using test::FakeToolkit;

class Probe : public Form {
 public:
  Probe() : Form("frmProbe") {
    a = &Make<Timer>("tmrA", 100, false);
    b = &Make<Timer>("tmrB", 30, false);
    btnOK = &Make<Button>("btnOK");
    edtText = &Make<Edit>("edtText");
  }
  Timer* a;
  Timer* b;
  Button* btnOK;
  Edit* edtText;
};

TEST(FakeToolkit, TimersFireInDueOrderAndRepeat) {
  FakeToolkit tk;
  Probe f;
  std::vector<std::pair<char, uint64_t>> fired;
  f.a->OnTimer = [&] { fired.push_back({'a', tk.Now()}); };
  f.b->OnTimer = [&] { fired.push_back({'b', tk.Now()}); };
  f.a->SetEnabled(true);
  f.b->SetEnabled(true);
  tk.Advance(99);
  EXPECT_EQ(fired.size(), 3u);  // b at 30, 60, 90
  tk.Advance(1);
  ASSERT_EQ(fired.size(), 4u);
  EXPECT_EQ(fired[3], std::make_pair('a', uint64_t{100}));
  fired.clear();
  tk.Advance(100);  // b 120 150 180, a 200
  std::vector<std::pair<char, uint64_t>> want{{'b', 120}, {'b', 150}, {'b', 180}, {'a', 200}};
  EXPECT_EQ(fired, want);
  EXPECT_EQ(tk.TickCount(), 200u);
}

TEST(FakeToolkit, IntervalZeroOrDisabledStopsAndOneShotPattern) {
  FakeToolkit tk;
  Probe f;
  int n = 0;
  f.a->OnTimer = [&] {
    ++n;
    f.a->SetEnabled(false);  // a one-shot timer switches itself off
  };
  f.a->SetEnabled(true);
  tk.Advance(1000);
  EXPECT_EQ(n, 1);
  f.b->OnTimer = [&] { ++n; };
  f.b->SetEnabled(true);
  f.b->SetInterval(0);
  tk.Advance(1000);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(tk.DueTime(*f.b), -1);
  // Setting a new interval re-arms from now.
  f.b->SetInterval(50);
  EXPECT_EQ(tk.DueTime(*f.b), static_cast<int64_t>(tk.Now() + 50));
}

TEST(FakeToolkit, TimersFireWhileAHandlerPumps) {
  FakeToolkit tk;
  Probe f;
  int bCount = 0;
  f.b->OnTimer = [&] { ++bCount; };
  bool waited = false;
  f.a->OnTimer = [&] {
    f.a->SetEnabled(false);
    // A wait by polling, as WaitResponse does.
    uint32_t start = tk.TickCount();
    while (tk.TickCount() - start < 100) tk.ProcessMessages();
    waited = true;
  };
  f.a->SetEnabled(true);
  f.b->SetEnabled(true);
  tk.Advance(100);  // b at 30 60 90, a at 100 pumps until 200: b at 120..180
  EXPECT_TRUE(waited);
  EXPECT_EQ(tk.Now(), 200u);
  EXPECT_EQ(bCount, 6);
}

TEST(FakeToolkit, TimerDoesNotReenterItsOwnHandler) {
  FakeToolkit tk;
  Probe f;
  int depth = 0, maxDepth = 0, count = 0;
  f.b->OnTimer = [&] {
    ++count;
    maxDepth = std::max(maxDepth, ++depth);
    for (int i = 0; i < 100; ++i) tk.ProcessMessages();
    --depth;
  };
  f.b->SetEnabled(true);
  tk.Advance(30);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(count, 1);
  // Overdue once the first run returned: it fires in the next pump.
  tk.ProcessMessages();
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(count, 2);
}

TEST(FakeToolkit, ClockWrapsLikeTheSystemClock) {
  FakeToolkit tk;
  tk.SetNow(0xFFFFFFF0u);
  Probe f;
  int n = 0;
  f.b->OnTimer = [&] { ++n; };
  f.b->SetEnabled(true);
  uint32_t start = tk.TickCount();
  tk.Advance(40);
  EXPECT_EQ(n, 1);
  EXPECT_LT(tk.TickCount(), start);
  EXPECT_EQ(static_cast<uint32_t>(tk.TickCount() - start), 40u);
}

TEST(FakeToolkit, ScheduledActionsAndPostedWork) {
  FakeToolkit tk;
  std::vector<std::string> log;
  tk.At(50, [&] { log.push_back("at50@" + std::to_string(tk.Now())); });
  tk.Post([&] { log.push_back("posted@" + std::to_string(tk.Now())); });
  while (tk.Now() < 60) tk.ProcessMessages();
  std::vector<std::string> want{"posted@1", "at50@50"};
  EXPECT_EQ(log, want);
}

TEST(FakeToolkit, MessageBoxesAreLoggedAndAnsweredByScript) {
  FakeToolkit tk;
  EXPECT_EQ(tk.MessageBox("t", "c", MsgIcon::Warning, MsgButtons::OK), MsgResult::OK);
  EXPECT_EQ(tk.MessageBox("t", "c", MsgIcon::Confirmation, MsgButtons::OKCancel), MsgResult::OK);
  EXPECT_EQ(tk.MessageBox("t", "c", MsgIcon::Confirmation, MsgButtons::YesNoCancel), MsgResult::Yes);
  tk.QueueAnswer(MsgResult::Cancel);
  tk.QueueAnswer(MsgResult::No);
  EXPECT_EQ(tk.MessageBox("q1", "c", MsgIcon::Confirmation, MsgButtons::OKCancel), MsgResult::Cancel);
  EXPECT_EQ(tk.MessageBox("q2", "c", MsgIcon::Confirmation, MsgButtons::YesNoCancel), MsgResult::No);
  ASSERT_EQ(tk.boxes.size(), 5u);
  EXPECT_EQ(tk.boxes[3].text, "q1");
  EXPECT_EQ(tk.boxes[3].answer, MsgResult::Cancel);
  EXPECT_EQ(tk.boxes[0].icon, MsgIcon::Warning);
  // A box that gave no button (failed, or ended by the system) goes ahead with nothing.
  for (int i = 0; i < 3; ++i) tk.QueueAnswer(MsgResult::None);
  EXPECT_EQ(tk.MessageBox("t", "c", MsgIcon::Warning, MsgButtons::OK), MsgResult::OK);
  EXPECT_EQ(tk.MessageBox("q3", "c", MsgIcon::Confirmation, MsgButtons::OKCancel), MsgResult::Cancel);
  EXPECT_EQ(tk.MessageBox("q4", "c", MsgIcon::Confirmation, MsgButtons::YesNoCancel), MsgResult::Cancel);
}

TEST(FakeToolkit, WhileABoxIsUpTimersAndUserActionsRun) {
  FakeToolkit tk;
  Probe f;
  int ticks = 0;
  f.a->OnTimer = [&] { ++ticks; };
  f.a->SetEnabled(true);
  int clicks = 0;
  f.btnOK->OnClick = [&] { ++clicks; };
  tk.WhileNextBoxUp([&] {
    EXPECT_EQ(tk.BoxesUp(), 1);
    ASSERT_EQ(tk.boxes.size(), 1u) << "the box is on screen already";
    tk.Advance(250);
    FakeToolkit::Click(f, "btnOK");
    // A box the script brings up is answered first: it is closed first.
    EXPECT_EQ(tk.MessageBox("inner", "", MsgIcon::None, MsgButtons::OKCancel), MsgResult::Cancel);
  });
  tk.QueueAnswer(MsgResult::Cancel);
  tk.QueueAnswer(MsgResult::OK);
  EXPECT_EQ(tk.MessageBox("outer", "", MsgIcon::None, MsgButtons::OKCancel), MsgResult::OK);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(tk.BoxesUp(), 0);
  ASSERT_EQ(tk.boxes.size(), 2u);
  EXPECT_EQ(tk.boxes[0].answer, MsgResult::OK);
  EXPECT_EQ(tk.boxes[1].answer, MsgResult::Cancel);
  // Without a script a box closes at once.
  tk.MessageBox("plain", "", MsgIcon::None, MsgButtons::OK);
  EXPECT_EQ(ticks, 2);
}

TEST(FakeToolkit, RecordsPropertyChangesAndShows) {
  FakeToolkit tk;
  Probe f;
  f.btnOK->SetCaption("OK");
  f.btnOK->SetCaption("OK");  // no change, no record
  f.SetCaption("Probe");
  f.Show();
  f.Hide();
  EXPECT_EQ(tk.CountChanges("frmProbe", "btnOK", Prop::Caption), 1u);
  EXPECT_TRUE(tk.Changed("FRMPROBE", "frmprobe", Prop::Caption));
  ASSERT_GE(tk.events.size(), 2u);
  EXPECT_EQ(tk.events[0].type, test::PeerEvent::Type::Show);
  EXPECT_EQ(tk.events[1].type, test::PeerEvent::Type::Hide);
  EXPECT_EQ(tk.FindForm("FRMPROBE"), &f);
}

TEST(FakeToolkit, ModalRunsTheScriptedActionOrGivesUp) {
  FakeToolkit tk;
  Probe f;
  f.btnOK->OnClick = [&] { f.Hide(); };
  tk.OnModal("FRMPROBE", [&](Form& form) { FakeToolkit::Click(form, "btnok"); });
  f.ShowModal();
  EXPECT_FALSE(f.Showing());
  EXPECT_EQ(tk.modalTimeouts, 0);

  // Without an action: pumped until a timer hides it.
  tk.OnModal("frmProbe", nullptr);
  f.a->OnTimer = [&] { f.Hide(); };
  f.a->SetEnabled(true);
  f.ShowModal();
  EXPECT_FALSE(f.Showing());
  EXPECT_EQ(tk.Now(), 100u);
  f.a->SetEnabled(false);

  tk.ModalLimitMs = 1000;
  f.ShowModal();
  EXPECT_FALSE(f.Showing());
  EXPECT_EQ(tk.modalTimeouts, 1);
  EXPECT_EQ(tk.modalForms.size(), 3u);
}

TEST(FakeToolkit, UserActionsOnNamedComponents) {
  FakeToolkit tk;
  Probe f;
  int clicks = 0;
  f.btnOK->OnClick = [&] { ++clicks; };
  FakeToolkit::Click(f, "BTNOK");
  f.btnOK->SetEnabled(false);
  FakeToolkit::Click(f, "btnOK");  // a disabled button does nothing
  EXPECT_EQ(clicks, 1);
  f.edtText->OnKeyPress = [](char& k) {
    if (k == 'x') k = 0;
    if (k == 'a') k = 'A';
  };
  FakeToolkit::Type(f, "edtText", "abxc");
  EXPECT_EQ(f.edtText->Text(), "Abc");
  EXPECT_THROW(FakeToolkit::Click(f, "btnNone"), std::invalid_argument);
  EXPECT_THROW(FakeToolkit::Type(f, "btnOK", "a"), std::invalid_argument);
}

TEST(FakeToolkit, SendSyncFromAnotherThreadRunsOnTheUiThread) {
  FakeToolkit tk;
  std::thread::id ranOn;
  std::thread worker([&] { tk.SendSync([&] { ranOn = std::this_thread::get_id(); }); });
  while (tk.PendingSync() == 0) std::this_thread::yield();
  tk.ProcessMessages();
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(FakeToolkit, SendSyncWorkThatRaisesLeavesTheWorkBehindItQueued) {
  FakeToolkit tk;
  std::thread first([&] { tk.SendSync([] { throw std::runtime_error("raised"); }); });
  while (tk.PendingSync() < 1) std::this_thread::yield();
  bool ran = false;
  std::thread second([&] { tk.SendSync([&] { ran = true; }); });
  while (tk.PendingSync() < 2) std::this_thread::yield();
  EXPECT_THROW(tk.ProcessMessages(), std::runtime_error);
  EXPECT_FALSE(ran);
  EXPECT_EQ(tk.PendingSync(), 1u);  // the second caller still waits for its turn
  tk.ProcessMessages();
  first.join();
  second.join();
  EXPECT_TRUE(ran);
}

TEST(FakeToolkit, PostedActionThatRaisesLeavesTheActionsBehindItQueued) {
  FakeToolkit tk;
  int ran = 0;
  tk.Post([] { throw std::runtime_error("raised"); });
  tk.Post([&] { ++ran; });
  EXPECT_THROW(tk.ProcessMessages(), std::runtime_error);
  EXPECT_EQ(ran, 0);
  tk.ProcessMessages();
  EXPECT_EQ(ran, 1);
}

TEST(RealTimeToolkit, FiresTimersByRealTimeAndRunsSendSync) {
  test::RealTimeToolkit tk;
  Probe f;
  int n = 0;
  f.b->SetInterval(5);
  f.b->OnTimer = [&] { ++n; };
  f.b->SetEnabled(true);
  EXPECT_TRUE(tk.PumpUntil([&] { return n >= 2; }, 5000));
  bool ran = false;
  std::thread worker([&] { tk.SendSync([&] { ran = true; }); });
  EXPECT_TRUE(tk.PumpUntil([&] { return ran; }, 5000));
  worker.join();
}

}  // namespace
}  // namespace km27::ui
