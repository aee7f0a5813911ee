#pragma once
// The foreground window of native tests: a test says whether it refuses
// synthetic keys; every question is counted. While it lives it is the service
// in force; the one before is put back when it is destroyed.
#include "keyboard/ForegroundWindow.h"

namespace km27::test {

class FakeForegroundWindow final : public IForegroundWindow {
 public:
  FakeForegroundWindow() { SetForegroundWindowService(this); }
  ~FakeForegroundWindow() override { SetForegroundWindowService(nullptr); }
  FakeForegroundWindow(const FakeForegroundWindow&) = delete;
  FakeForegroundWindow& operator=(const FakeForegroundWindow&) = delete;

  bool RefusesSyntheticKeys() override {
    ++asked;
    return elevated;
  }

  bool elevated = false;
  int asked = 0;
};

}  // namespace km27::test
