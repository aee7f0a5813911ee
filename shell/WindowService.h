#pragma once
// The windows of the desktop as the target window page samples them: which
// window is in the foreground, its title and its class name. The platform
// layer installs its own; tests install a recording fake. Without one there
// is never a foreground window.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace km27 {

// A window's handle as a number (0: no window).
using WindowHandle = uintptr_t;

// Reading a window failed; what() holds the system's own text.
class WindowServiceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class IWindowService {
 public:
  virtual ~IWindowService() = default;
  // The window the user works in now; 0 when there is none (while the
  // foreground passes from one window to another).
  virtual WindowHandle ForegroundWindow() = 0;
  // The window's title, at most `maxChars` characters; empty for a window
  // without one or one that no longer exists. Raises WindowServiceError.
  virtual std::string WindowTitle(WindowHandle window, size_t maxChars) = 0;
  // The name of the window's class, at most `maxChars` characters; empty
  // for a window that no longer exists. Raises WindowServiceError.
  virtual std::string WindowClassName(WindowHandle window, size_t maxChars) = 0;
};

IWindowService& WindowService();
void SetWindowService(IWindowService* service);  // nullptr restores the empty default

}  // namespace km27
