// The tray icon's record, visibility, balloons and the owning form.
#include <gtest/gtest.h>

#include "shell/CoolTrayIcon.h"
#include "tests/support/FakeToolkit.h"
#include "tests/support/FakeTrayPeer.h"
#include "ui/Form.h"

namespace km27 {
namespace {

using test::FakeTrayPeer;
using test::TrayCall;

class TrayTest : public ::testing::Test {
 protected:
  test::FakeToolkit toolkit;
  FakeTrayPeer::Installation fakeTray;
  ui::Form form{"frmMain"};
  TCoolTrayIcon tray{&form};
  FakeTrayPeer& peer = FakeTrayPeer::Of(tray);
};

TEST_F(TrayTest, IconIndexIsClampedToTheList) {
  EXPECT_EQ(tray.IconIndex(), 0);
  tray.SetIconIndex(3);  // no list: always 0
  EXPECT_EQ(tray.IconIndex(), 0);

  tray.SetIconList({101, 102});
  tray.SetIconVisible(true);
  EXPECT_EQ(peer.current.icon, 101);
  tray.SetIconIndex(5);
  EXPECT_EQ(tray.IconIndex(), 1);
  EXPECT_EQ(peer.current.icon, 102);
  tray.SetIconIndex(-2);
  EXPECT_EQ(tray.IconIndex(), 0);
  EXPECT_EQ(peer.current.icon, 101);
  tray.SetIconIndex(1);
  tray.SetIconList({101});  // a shorter list pulls the index in
  EXPECT_EQ(tray.IconIndex(), 0);
  EXPECT_EQ(peer.current.icon, 101);
}

TEST_F(TrayTest, TipIsCutTo127AndShownOnlyWithShowHint) {
  tray.SetIconVisible(true);
  tray.SetHint(std::string(200, 'x'));
  EXPECT_EQ(tray.Hint().size(), 127u);
  EXPECT_EQ(peer.current.tip, std::string(127, 'x'));
  tray.SetHint("KM-27 Serial to Key Software");
  EXPECT_EQ(peer.current.tip, "KM-27 Serial to Key Software");
  tray.SetShowHint(false);
  EXPECT_EQ(peer.current.tip, "");
  EXPECT_EQ(tray.Hint(), "KM-27 Serial to Key Software");
  tray.SetShowHint(true);
  EXPECT_EQ(peer.current.tip, "KM-27 Serial to Key Software");
}

TEST_F(TrayTest, VisibilityAddsAndDeletesAndChangesModifyOnlyWhileShown) {
  tray.SetHint("tip");  // not shown yet: nothing reaches the shell
  EXPECT_TRUE(peer.calls.empty());
  tray.SetIconVisible(true);
  ASSERT_EQ(peer.Count(TrayCall::Type::Add), 1);
  EXPECT_EQ(peer.Last(TrayCall::Type::Add)->data.tip, "tip");
  tray.SetIconVisible(true);  // already shown
  EXPECT_EQ(peer.Count(TrayCall::Type::Add), 1);
  tray.SetIconVisible(false);
  EXPECT_EQ(peer.Count(TrayCall::Type::Delete), 1);
  EXPECT_FALSE(peer.shown);
  size_t n = peer.calls.size();
  tray.SetHint("other");
  EXPECT_EQ(peer.calls.size(), n);
}

TEST(TrayLifetime, DestroyingAShownIconDeletesIt) {
  test::FakeToolkit toolkit;
  ui::Form form{"frmMain"};
  // The peer dies with the icon: count its deletes outside it.
  struct CountingPeer : FakeTrayPeer {
    CountingPeer(TCoolTrayIcon& icon, int& deletes) : FakeTrayPeer(icon), deletes_(deletes) {}
    bool DeleteIcon() override {
      ++deletes_;
      return FakeTrayPeer::DeleteIcon();
    }
    int& deletes_;
  };
  int deletes = 0;
  SetTrayPeerFactory([&](TCoolTrayIcon& icon) { return std::make_unique<CountingPeer>(icon, deletes); });
  { TCoolTrayIcon hidden(&form); }
  EXPECT_EQ(deletes, 0);
  {
    TCoolTrayIcon shown(&form);
    shown.SetIconVisible(true);
  }
  EXPECT_EQ(deletes, 1);
  SetTrayPeerFactory(nullptr);
}

TEST(TrayLifetime, WithoutAPeerEverythingIsQuiet) {
  test::FakeToolkit toolkit;
  ui::Form form{"frmMain"};
  TCoolTrayIcon tray(&form);
  tray.SetIconList({1, 2});
  tray.SetIconVisible(true);
  tray.SetIconIndex(1);
  EXPECT_FALSE(tray.ShowBalloonHint("t", "x", 1, 10));
  tray.HandleNotification(static_cast<uint32_t>(TrayNotification::RightDown));
  tray.TaskbarCreated();
  EXPECT_EQ(tray.IconIndex(), 1);
}

TEST_F(TrayTest, TaskbarRecreatedAddsTheIconAgainWithIndexAndTip) {
  tray.SetIconList({101, 102});
  tray.SetIconVisible(true);
  tray.SetIconIndex(1);
  tray.SetHint("KM-27 Serial to Key Software");
  peer.shown = false;  // the shell restarted and forgot the icon
  peer.calls.clear();
  tray.TaskbarCreated();
  ASSERT_EQ(peer.Count(TrayCall::Type::Add), 1);
  EXPECT_TRUE(peer.shown);
  EXPECT_EQ(peer.current.icon, 102);
  EXPECT_EQ(peer.current.tip, "KM-27 Serial to Key Software");

  tray.SetIconVisible(false);
  peer.calls.clear();
  tray.TaskbarCreated();  // a hidden icon stays away
  EXPECT_EQ(peer.Count(TrayCall::Type::Add), 0);
}

TEST_F(TrayTest, BalloonRemovesTheShownOneThenSetsItsFields) {
  tray.SetIconVisible(true);
  peer.calls.clear();
  EXPECT_TRUE(tray.ShowBalloonHint("Start", " ", 1, 10));
  ASSERT_EQ(peer.calls.size(), 2u);
  const TrayIconData& hide = peer.calls[0].data;
  EXPECT_TRUE(hide.balloon);
  EXPECT_EQ(hide.balloonText, "");
  const TrayIconData& show = peer.calls[1].data;
  EXPECT_TRUE(show.balloon);
  EXPECT_EQ(show.balloonTitle, "Start");
  EXPECT_EQ(show.balloonText, " ");
  EXPECT_EQ(show.balloonIcon, 1);
  EXPECT_EQ(show.balloonTimeoutMs, 10000u);

  tray.ShowBalloonHint(std::string(80, 't'), std::string(300, 'b'), 9, -4);
  const TrayIconData& cut = peer.calls.back().data;
  EXPECT_EQ(cut.balloonTitle.size(), 63u);
  EXPECT_EQ(cut.balloonText.size(), 255u);
  EXPECT_EQ(cut.balloonIcon, 3);
  EXPECT_EQ(cut.balloonTimeoutMs, 0u);

  // A later icon change does not show the balloon again.
  tray.SetIconIndex(0);
  EXPECT_FALSE(peer.calls.back().data.balloon);
}

TEST_F(TrayTest, HideAndRestoreTheOwningForm) {
  form.Show();
  tray.HideMainForm();
  EXPECT_FALSE(form.Showing());
  EXPECT_EQ(peer.Count(TrayCall::Type::HideApp), 1);

  form.Minimize();
  tray.RestoreMainForm();
  EXPECT_TRUE(form.Showing());
  EXPECT_FALSE(form.Minimized());
  EXPECT_EQ(peer.Count(TrayCall::Type::RestoreApp), 1);
  bool broughtForward = false;
  for (const auto& e : toolkit.events)
    if (e.type == test::PeerEvent::Type::BringToFront && e.form == "frmMain") broughtForward = true;
  EXPECT_TRUE(broughtForward);
}

TEST_F(TrayTest, StartupAsksWhetherToShowTheForm) {
  bool asked = false;
  tray.OnStartup = [&](TCoolTrayIcon&, bool& show) {
    asked = true;
    EXPECT_TRUE(show);
  };
  form.Show();
  tray.Loaded();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(form.Showing());
  ASSERT_NE(peer.Last(TrayCall::Type::Version), nullptr);
  EXPECT_EQ(peer.Last(TrayCall::Type::Version)->version, 0);

  tray.OnStartup = [](TCoolTrayIcon&, bool& show) { show = false; };
  tray.Loaded();
  EXPECT_FALSE(form.Showing());
}

TEST_F(TrayTest, MinimizeToTrayOnlyWhenAskedFor) {
  int minimized = 0;
  tray.OnMinimizeToTray = [&](TCoolTrayIcon&) { ++minimized; };
  form.Show();
  EXPECT_FALSE(tray.OwnerMinimized());
  EXPECT_TRUE(form.Showing());
  tray.MinimizeToTray = true;
  EXPECT_TRUE(tray.OwnerMinimized());
  EXPECT_EQ(minimized, 1);
  EXPECT_FALSE(form.Showing());
}

TEST_F(TrayTest, CyclingShowsTheIconsInTurn) {
  tray.SetIconList({1, 2, 3});
  tray.SetIconVisible(true);
  std::vector<int> next;
  tray.OnCycle = [&](TCoolTrayIcon&, int i) { next.push_back(i); };
  tray.SetCycleInterval(100);
  tray.SetCycleIcons(true);
  toolkit.Advance(350);
  EXPECT_EQ(next, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(peer.current.icon, 1);
  tray.SetCycleInterval(0);  // interval 0: no cycling
  toolkit.Advance(500);
  EXPECT_EQ(next.size(), 3u);
}

}  // namespace
}  // namespace km27
