// Mouse notifications on the tray icon: shift state, popup menu, click timing.
#include <gtest/gtest.h>

#include "shell/CoolTrayIcon.h"
#include "tests/support/FakeToolkit.h"
#include "tests/support/FakeTrayPeer.h"
#include "ui/Form.h"

namespace km27 {
namespace {

using test::FakeTrayPeer;
using test::TrayCall;
using N = TrayNotification;

struct MouseEvent {
  std::string what;
  MouseButton button;
  ShiftState shift;
  int x, y;
};

class TrayMouseTest : public ::testing::Test {
 protected:
  TrayMouseTest() {
    tray.PopupMenu = &menu;
    tray.OnMouseDown = [this](TCoolTrayIcon&, MouseButton b, ShiftState s, int x, int y) {
      log.push_back({"down", b, s, x, y});
    };
    tray.OnMouseUp = [this](TCoolTrayIcon&, MouseButton b, ShiftState s, int x, int y) {
      log.push_back({"up", b, s, x, y});
    };
    tray.OnClick = [this](TCoolTrayIcon&) { log.push_back({"click", MouseButton::Left, 0, 0, 0}); };
  }
  int Popups() const { return peer.Count(TrayCall::Type::Popup); }

  test::FakeToolkit toolkit;
  FakeTrayPeer::Installation fakeTray;
  ui::Form form{"frmMain"};
  ui::PopupMenu& menu = form.Make<ui::PopupMenu>("PopupMenu1");
  TCoolTrayIcon tray{&form};
  FakeTrayPeer& peer = FakeTrayPeer::Of(tray);
  std::vector<MouseEvent> log;
};

TEST_F(TrayMouseTest, RightClickReportsLiveModifiersAndOpensTheMenuAtTheCursor) {
  peer.modifiers = ss::Shift | ss::Ctrl;
  peer.cursor = {640, 470};
  peer.Send(N::RightDown);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].button, MouseButton::Right);
  EXPECT_EQ(log[0].shift, ss::Shift | ss::Ctrl | ss::Right);
  EXPECT_EQ(log[0].x, 640);
  EXPECT_EQ(log[0].y, 470);
  ASSERT_EQ(Popups(), 1);
  EXPECT_EQ(peer.Last(TrayCall::Type::Popup)->menu, "PopupMenu1");
  EXPECT_EQ(peer.Last(TrayCall::Type::Popup)->x, 640);

  peer.modifiers = ss::Alt | 0x80;  // bits beyond the three keys are not the tray's to report
  peer.Send(N::RightUp);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].what, "up");
  EXPECT_EQ(log[1].shift, ss::Alt | ss::Right);
}

TEST_F(TrayMouseTest, LeftButtonOpensTheMenuOnlyInLeftPopupMode) {
  peer.Send(N::LeftDown);
  EXPECT_EQ(Popups(), 0);
  EXPECT_EQ(log.at(0).shift, ss::Left);
  tray.LeftPopup = true;
  peer.Send(N::LeftDown);
  EXPECT_EQ(Popups(), 1);
  peer.Send(N::MiddleDown);
  EXPECT_EQ(Popups(), 1);
  EXPECT_EQ(log.back().button, MouseButton::Middle);
  EXPECT_EQ(log.back().shift, ss::Middle);
}

TEST_F(TrayMouseTest, NoMenuWithoutOneOrWithoutAutoPopup) {
  menu.AutoPopup = false;
  peer.Send(N::RightDown);
  EXPECT_EQ(Popups(), 0);
  tray.PopupMenu = nullptr;
  peer.Send(N::RightDown);
  EXPECT_EQ(Popups(), 0);
  EXPECT_EQ(log.size(), 2u);  // the mouse-down events still arrive
}

TEST_F(TrayMouseTest, DisabledIconIgnoresTheMouse) {
  tray.Enabled = false;
  peer.Send(N::RightDown);
  peer.Send(N::LeftDown);
  peer.Send(N::LeftUp);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Popups(), 0);
}

TEST_F(TrayMouseTest, ClickFiresAtOnceWithoutADoubleClickHandler) {
  peer.Send(N::LeftDown);
  peer.Send(N::LeftUp);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].what, "down");
  EXPECT_EQ(log[1].what, "click");
  EXPECT_EQ(log[2].what, "up");
  peer.Send(N::LeftUp);  // an up without a down is no click
  EXPECT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3].what, "up");
}

TEST_F(TrayMouseTest, WithADoubleClickHandlerTheClickWaitsForTheDoubleClickTime) {
  int dbl = 0;
  tray.OnDblClick = [&](TCoolTrayIcon&) { ++dbl; };
  peer.doubleClickMs = 400;
  peer.Send(N::LeftDown);
  peer.Send(N::LeftUp);
  EXPECT_EQ(log.size(), 2u);  // down, up; the click is pending
  toolkit.Advance(399);
  EXPECT_EQ(log.size(), 2u);
  toolkit.Advance(1);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2].what, "click");
  toolkit.Advance(2000);
  EXPECT_EQ(log.size(), 3u);  // one click only

  // A double click drops the pending click.
  log.clear();
  peer.Send(N::LeftDown);
  peer.Send(N::LeftUp);
  peer.Send(N::LeftDblClick);
  toolkit.Advance(1000);
  EXPECT_EQ(dbl, 1);
  for (const auto& e : log) EXPECT_NE(e.what, "click");
}

TEST_F(TrayMouseTest, DoubleClickRunsTheDefaultItemUnlessInLeftPopupMode) {
  int ran = 0, other = 0;
  auto& first = form.Make<ui::MenuItem>("mnuFirst", &menu);
  auto& def = form.Make<ui::MenuItem>("mnuShowMain", &menu);
  first.OnClick = [&] { ++other; };
  def.Default = true;
  def.OnClick = [&] { ++ran; };
  tray.OnDblClick = [](TCoolTrayIcon&) {};
  peer.Send(N::LeftDblClick);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(other, 0);
  def.SetEnabled(false);
  peer.Send(N::LeftDblClick);
  EXPECT_EQ(ran, 1);
  def.SetEnabled(true);
  tray.LeftPopup = true;
  peer.Send(N::LeftDblClick);
  EXPECT_EQ(ran, 1);
}

TEST_F(TrayMouseTest, ContextMenuNotificationsBelongToTheNewerBehaviourOnly) {
  peer.Send(N::ContextMenu);
  peer.Send(N::Select);
  peer.Send(N::KeySelect);
  EXPECT_TRUE(log.empty());
}

TEST_F(TrayMouseTest, BalloonNotificationsReachTheirEvents) {
  std::string seen;
  tray.OnBalloonHintShow = [&](TCoolTrayIcon&) { seen += "S"; };
  tray.OnBalloonHintHide = [&](TCoolTrayIcon&) { seen += "H"; };
  tray.OnBalloonHintTimeout = [&](TCoolTrayIcon&) { seen += "T"; };
  tray.OnBalloonHintClick = [&](TCoolTrayIcon&) { seen += "C"; };
  for (N n : {N::BalloonShow, N::BalloonHide, N::BalloonTimeout, N::BalloonClick}) peer.Send(n);
  tray.HandleNotification(0x1234);  // unknown codes are ignored
  EXPECT_EQ(seen, "SHTC");
}

TEST_F(TrayMouseTest, EnterAndExitFollowTheCursor) {
  std::string seen;
  tray.OnMouseEnter = [&](TCoolTrayIcon&) { seen += "E"; };
  tray.OnMouseExit = [&](TCoolTrayIcon&) { seen += "X"; };
  tray.OnMouseMove = [&](TCoolTrayIcon&, ShiftState, int, int) { seen += "m"; };
  peer.Send(N::MouseMove);
  EXPECT_EQ(seen, "m");  // not wanted: no enter
  tray.WantEnterExitEvents = true;
  peer.Send(N::MouseMove);
  peer.Send(N::MouseMove);
  toolkit.Advance(100);
  EXPECT_EQ(seen, "mEmm");  // the cursor stays on the icon
  peer.cursor = {0, 0};
  toolkit.Advance(20);
  EXPECT_EQ(seen, "mEmmX");
  toolkit.Advance(100);
  EXPECT_EQ(seen, "mEmmX");
}

}  // namespace
}  // namespace km27
