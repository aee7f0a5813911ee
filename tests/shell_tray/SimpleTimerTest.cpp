// The simple timer on the fake toolkit's virtual clock.
#include <gtest/gtest.h>

#include "shell/SimpleTimer.h"
#include "tests/support/FakeToolkit.h"

namespace km27 {
namespace {

TEST(SimpleTimer, TicksWhileEnabledAndStopsAfterOneTickWithAutoDisable) {
  test::FakeToolkit toolkit;
  TSimpleTimer repeating(100);
  TSimpleTimer once(100, true);
  EXPECT_NE(repeating.Id(), once.Id());
  int r = 0, o = 0;
  repeating.OnTimer = [&](TSimpleTimer&) { ++r; };
  once.OnTimer = [&](TSimpleTimer& t) {
    ++o;
    EXPECT_FALSE(t.Enabled());
  };
  toolkit.Advance(500);
  EXPECT_EQ(r + o, 0);  // created disabled
  repeating.SetEnabled(true);
  once.SetEnabled(true);
  toolkit.Advance(350);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(o, 1);
  repeating.SetEnabled(false);
  toolkit.Advance(500);
  EXPECT_EQ(r, 3);
}

TEST(SimpleTimer, RestartBeginsTheIntervalAgainAndAHandlerMayStopItsTimer) {
  test::FakeToolkit toolkit;
  TSimpleTimer t(100);
  int n = 0;
  t.OnTimer = [&](TSimpleTimer& self) {
    if (++n == 2) self.SetEnabled(false);
  };
  t.SetEnabled(true);
  toolkit.Advance(80);
  t.Restart();
  toolkit.Advance(80);
  EXPECT_EQ(n, 0);
  toolkit.Advance(20);
  EXPECT_EQ(n, 1);
  toolkit.Advance(1000);
  EXPECT_EQ(n, 2);
  t.SetInterval(0);
  t.SetEnabled(true);  // interval 0 never ticks
  toolkit.Advance(1000);
  EXPECT_EQ(n, 2);
}

}  // namespace
}  // namespace km27
