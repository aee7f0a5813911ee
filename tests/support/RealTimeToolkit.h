#pragma once
// The fake toolkit on the real steady clock, for native tests that talk to a
// pseudo-terminal through a real receive thread, and for benchmarks.
// ProcessMessages waits at most about 1 ms for SendSync work from other
// threads, runs it and fires the timers that are due by real time. Advance(ms)
// pumps for ms of real time. Recorder, message box script and user actions are
// those of FakeToolkit.
#include <chrono>

#include "tests/support/FakeToolkit.h"

namespace km27::test {

class RealTimeToolkit : public FakeToolkit {
 public:
  RealTimeToolkit();
  void ProcessMessages() override;
  void Advance(uint32_t ms) override;
  // Pumps until pred() holds or timeoutMs of real time have passed; returns pred().
  bool PumpUntil(const std::function<bool()>& pred, uint32_t timeoutMs);

 protected:
  void ReachTime(uint64_t t) override;
  uint64_t Clock() const override;

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace km27::test
