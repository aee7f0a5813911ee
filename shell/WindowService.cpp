#include "shell/WindowService.h"

namespace km27 {

namespace {

class NoWindowService : public IWindowService {
 public:
  WindowHandle ForegroundWindow() override { return 0; }
  std::string WindowTitle(WindowHandle, size_t) override { return {}; }
  std::string WindowClassName(WindowHandle, size_t) override { return {}; }
};

NoWindowService gNoService;
IWindowService* gService = nullptr;

}  // namespace

IWindowService& WindowService() { return gService ? *gService : gNoService; }
void SetWindowService(IWindowService* service) { gService = service; }

}  // namespace km27
