#include "tests/support/RealTimeToolkit.h"

namespace km27::test {

RealTimeToolkit::RealTimeToolkit() : start_(std::chrono::steady_clock::now()) {}

uint64_t RealTimeToolkit::Clock() const {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
}

void RealTimeToolkit::ReachTime(uint64_t) { now_ = Clock(); }

void RealTimeToolkit::ProcessMessages() {
  {
    // Sleeps until work is queued, at most about a millisecond.
    std::unique_lock<std::mutex> lock(syncMutex_);
    syncCv_.wait_for(lock, std::chrono::milliseconds(1), [&] { return PendingSyncLocked(); });
  }
  RunQueued();
  RunDue(Clock());
}

void RealTimeToolkit::Advance(uint32_t ms) {
  uint64_t deadline = Clock() + ms;
  while (Clock() < deadline) ProcessMessages();
}

bool RealTimeToolkit::PumpUntil(const std::function<bool()>& pred, uint32_t timeoutMs) {
  uint64_t deadline = Clock() + timeoutMs;
  while (!pred()) {
    if (Clock() >= deadline) return pred();
    ProcessMessages();
  }
  return true;
}

}  // namespace km27::test
