#include "tests/support/FakeWindowService.h"

namespace km27::test {

FakeWindowService::FakeWindowService() { SetWindowService(this); }
FakeWindowService::~FakeWindowService() { SetWindowService(nullptr); }

WindowHandle FakeWindowService::ForegroundWindow() { return foreground; }

std::string FakeWindowService::WindowTitle(WindowHandle window, size_t maxChars) {
  titleLimits.push_back(maxChars);
  if (!failNextRead.empty()) {
    const std::string text = failNextRead;
    failNextRead.clear();
    throw WindowServiceError(text);
  }
  auto it = windows.find(window);
  return it == windows.end() ? std::string() : it->second.title.substr(0, maxChars);
}

std::string FakeWindowService::WindowClassName(WindowHandle window, size_t maxChars) {
  classLimits.push_back(maxChars);
  auto it = windows.find(window);
  return it == windows.end() ? std::string() : it->second.className.substr(0, maxChars);
}

void FakeWindowService::Front(WindowHandle handle, const std::string& className, const std::string& title) {
  windows[handle] = {title, className};
  foreground = handle;
}

}  // namespace km27::test
