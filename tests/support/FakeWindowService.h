#pragma once
// Recording stand-in for the desktop's windows: a table of windows (handle ->
// title and class name), the one in the foreground, and every read. Creating
// it installs it (SetWindowService); destroying it restores the empty default.
#include <map>
#include <string>
#include <vector>

#include "shell/WindowService.h"

namespace km27::test {

class FakeWindowService : public IWindowService {
 public:
  struct Window {
    std::string title, className;
  };

  FakeWindowService();
  ~FakeWindowService() override;
  FakeWindowService(const FakeWindowService&) = delete;
  FakeWindowService& operator=(const FakeWindowService&) = delete;

  WindowHandle ForegroundWindow() override;
  std::string WindowTitle(WindowHandle window, size_t maxChars) override;
  std::string WindowClassName(WindowHandle window, size_t maxChars) override;

  // A window on the desktop, brought to the foreground.
  void Front(WindowHandle handle, const std::string& className, const std::string& title);

  std::map<WindowHandle, Window> windows;  // a handle not in it reads as a closed window
  WindowHandle foreground = 0;
  // The next read of a title raises WindowServiceError with this text (once).
  std::string failNextRead;

  std::vector<size_t> titleLimits, classLimits;  // maxChars of every read
};

}  // namespace km27::test
