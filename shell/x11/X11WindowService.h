#pragma once
// The target window page's view of the desktop on X11: the window manager's
// _NET_ACTIVE_WINDOW, the class part of WM_CLASS and the _NET_WM_NAME title
// (UTF-8, turned into the program's code page; WM_NAME where a window has no
// _NET_WM_NAME). A Wayland session tells no program which window is in
// front; there the service says so once, with gstrNoWindowList.
#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <string>

#include "shell/WindowService.h"

namespace km27 {

class X11WindowService final : public IWindowService {
 public:
  // Takes ownership of the display connection.
  X11WindowService(Display* display, std::function<int()> codePage);
  ~X11WindowService() override;
  X11WindowService(const X11WindowService&) = delete;
  X11WindowService& operator=(const X11WindowService&) = delete;

  WindowHandle ForegroundWindow() override;
  std::string WindowTitle(WindowHandle window, size_t maxChars) override;
  std::string WindowClassName(WindowHandle window, size_t maxChars) override;

 private:
  // A UTF-8 property of the window; false when it has none (or the window is gone).
  bool Utf8Property(Window window, Atom property, std::string& value);
  std::string FromUtf8(const std::string& utf8, size_t maxChars);

  Display* display_;
  std::function<int()> codePage_;
  Atom activeWindow_, wmName_, utf8String_;
};

// Installs the X11 service, or on Wayland (or without a display) one that
// reports the page as not available on this desktop. `codePage` gives the
// program's code page at the time of asking. Call once at start.
void InstallX11WindowService(std::function<int()> codePage);

}  // namespace km27
