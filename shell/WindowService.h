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

// A window's handle as a number (0: no window). Windows gives window handles
// 32 significant bits in 32- and 64-bit programs alike, a 64-bit program
// seeing them sign-extended; a handle is kept as those 32 bits, so that its
// decimal text (the target window page, the settings file) is the same in
// both builds and reads back as the same window.
using WindowHandle = uint32_t;
constexpr WindowHandle WindowHandleFromBits(uint64_t bits) { return static_cast<WindowHandle>(bits); }
// The handle as a 64-bit program holds it; a 32-bit one takes the low half.
constexpr int64_t WindowHandleBits(WindowHandle window) { return static_cast<int32_t>(window); }

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
