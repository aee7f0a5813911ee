#pragma once
// A small timer object for components that are not windows (the tray icon's
// click and cycle timing). It runs on the toolkit's timers, so it ticks on the
// user-interface thread like every other timer and follows the fake toolkit's
// virtual clock in tests.
#include <cstdint>
#include <functional>
#include <memory>

namespace km27::ui {
class Timer;
}

namespace km27 {

class TSimpleTimer {
 public:
  explicit TSimpleTimer(uint32_t interval = 1000, bool autoDisable = false);
  ~TSimpleTimer();
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // Stop and start again with the full interval.
  void Restart();
  // Stop after the first tick.
  bool AutoDisable = false;
  // Unique per object (never reused within the process).
  uint32_t Id() const { return id_; }

  std::function<void(TSimpleTimer& sender)> OnTimer;

 private:
  void Tick();
  void Sync();
  std::unique_ptr<ui::Timer> timer_;
  uint32_t interval_;
  bool enabled_ = false;
  uint32_t id_;
};

}  // namespace km27
