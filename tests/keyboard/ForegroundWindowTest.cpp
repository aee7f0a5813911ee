// When Windows drops the keys this program sends: by the rights of this
// process against those of the program in front.
#include "keyboard/ForegroundWindow.h"

#include <gtest/gtest.h>

namespace km27 {
namespace {

TEST(ForegroundWindow, KeysStopAtAProgramWithMoreRights) {
  using R = ProcessRights;
  for (R front : {R::Normal, R::Elevated, R::Denied, R::Unknown}) {
    EXPECT_FALSE(KeysRefused(R::Elevated, front)) << "an elevated program reaches every window";
  }
  for (R self : {R::Normal, R::Unknown}) {
    EXPECT_TRUE(KeysRefused(self, R::Elevated));
    EXPECT_TRUE(KeysRefused(self, R::Denied)) << "not even to be opened: more rights";
    EXPECT_FALSE(KeysRefused(self, R::Normal));
    EXPECT_FALSE(KeysRefused(self, R::Unknown)) << "no answer (no elevation, gone): the keys are sent";
  }
  EXPECT_FALSE(ForegroundWindow().RefusesSyntheticKeys()) << "until the program installs its own service";
}

}  // namespace
}  // namespace km27
