#include "shell/SimpleTimer.h"

#include <atomic>

#include "ui/Components.h"

namespace km27 {

namespace {
std::atomic<uint32_t> nextTimerId{1};
}

TSimpleTimer::TSimpleTimer(uint32_t interval, bool autoDisable)
    : AutoDisable(autoDisable),
      timer_(std::make_unique<ui::Timer>(nullptr, "SimpleTimer", interval, false)),
      interval_(interval),
      id_(nextTimerId++) {
  timer_->OnTimer = [this] { Tick(); };
}

TSimpleTimer::~TSimpleTimer() = default;

void TSimpleTimer::SetInterval(uint32_t ms) {
  interval_ = ms;
  Sync();
}

void TSimpleTimer::SetEnabled(bool v) {
  enabled_ = v;
  Sync();
}

void TSimpleTimer::Restart() {
  enabled_ = false;
  Sync();
  enabled_ = true;
  Sync();
}

void TSimpleTimer::Sync() {
  timer_->SetInterval(interval_);
  timer_->SetEnabled(enabled_);
}

void TSimpleTimer::Tick() {
  if (AutoDisable) {
    enabled_ = false;
    timer_->SetEnabled(false);
  }
  if (OnTimer) OnTimer(*this);
}

}  // namespace km27
