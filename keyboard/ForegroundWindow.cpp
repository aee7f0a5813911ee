#include "keyboard/ForegroundWindow.h"

namespace km27 {

namespace {

class EveryWindowTakesKeys final : public IForegroundWindow {
 public:
  bool RefusesSyntheticKeys() override { return false; }
};

EveryWindowTakesKeys gDefault;
IForegroundWindow* gService = &gDefault;

}  // namespace

IForegroundWindow& ForegroundWindow() { return *gService; }

void SetForegroundWindowService(IForegroundWindow* service) { gService = service ? service : &gDefault; }

bool KeysRefused(ProcessRights self, ProcessRights front) {
  // Keys from an elevated process reach every window; keys from any other
  // stop at a process with more rights.
  if (self == ProcessRights::Elevated) return false;
  return front == ProcessRights::Elevated || front == ProcessRights::Denied;
}

}  // namespace km27
