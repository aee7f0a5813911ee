#include "shell/x11/X11WindowService.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "common/CodePage.h"
#include "common/TextCodec.h"
#include "settings/Messages.h"

namespace km27 {

namespace {

bool gXFailed = false;
int NoteXError(Display*, XErrorEvent*) {
  gXFailed = true;
  return 0;
}

// A window may close while it is read (BadWindow): Xlib's own handler would
// end the program.
class XErrorTrap {
 public:
  explicit XErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    gXFailed = false;
    previous_ = XSetErrorHandler(NoteXError);
  }
  ~XErrorTrap() { XSetErrorHandler(previous_); }
  bool Failed() {
    XSync(display_, False);
    return gXFailed;
  }

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

// At most maxChars characters of a code page text; a double-byte
// character is never cut in half.
std::string Truncated(const std::string& text, size_t maxChars) {
  const ICodePage& cp = AnsiCodePage();
  size_t at = 0, chars = 0;
  while (at < text.size() && chars < maxChars) {
    const size_t n = cp.IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
    at += n;
    ++chars;
  }
  return text.substr(0, at);
}

// The page shows the error; Wayland gives it nothing to sample.
class NoWindowList final : public IWindowService {
 public:
  WindowHandle ForegroundWindow() override {
    // Said once: the page would show the same box on every tick.
    if (told_) return 0;
    told_ = true;
    throw WindowServiceError(gstrNoWindowList);
  }
  std::string WindowTitle(WindowHandle, size_t) override { return {}; }
  std::string WindowClassName(WindowHandle, size_t) override { return {}; }

 private:
  bool told_ = false;
};

}  // namespace

X11WindowService::X11WindowService(Display* display, std::function<int()> codePage)
    : display_(display),
      codePage_(std::move(codePage)),
      activeWindow_(XInternAtom(display, "_NET_ACTIVE_WINDOW", False)),
      wmName_(XInternAtom(display, "_NET_WM_NAME", False)),
      utf8String_(XInternAtom(display, "UTF8_STRING", False)) {}

X11WindowService::~X11WindowService() { XCloseDisplay(display_); }

WindowHandle X11WindowService::ForegroundWindow() {
  XErrorTrap trap(display_);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display_, DefaultRootWindow(display_), activeWindow_, 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &after, &data);
  Window window = 0;
  if (status == Success && data && type == XA_WINDOW && format == 32 && count == 1)
    window = *reinterpret_cast<Window*>(data);
  if (data) XFree(data);
  if (trap.Failed()) return 0;
  // X window ids have 29 significant bits: they fit a WindowHandle whole.
  return WindowHandleFromBits(window);
}

bool X11WindowService::Utf8Property(Window window, Atom property, std::string& value) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display_, window, property, 0, 4096, False, utf8String_, &type, &format,
                                        &count, &after, &data);
  const bool ok = status == Success && data && type == utf8String_ && format == 8;
  if (ok) value.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return ok;
}

std::string X11WindowService::FromUtf8(const std::string& utf8, size_t maxChars) {
  // Characters the code page cannot hold are left out, as the ANSI title of
  // such a window leaves them out on Windows.
  return Truncated(TextCodec().FromUtf8(utf8, codePage_()).text, maxChars);
}

std::string X11WindowService::WindowTitle(WindowHandle handle, size_t maxChars) {
  const Window window = handle;
  XErrorTrap trap(display_);
  std::string utf8;
  if (!Utf8Property(window, wmName_, utf8)) {
    XTextProperty text{};
    if (XGetWMName(display_, window, &text) && text.value) {
      char** list = nullptr;
      int n = 0;
      if (Xutf8TextPropertyToTextList(display_, &text, &list, &n) >= Success && list) {
        if (n > 0 && list[0]) utf8 = list[0];
        XFreeStringList(list);
      }
      XFree(text.value);
    }
  }
  if (trap.Failed()) return {};
  return FromUtf8(utf8, maxChars);
}

std::string X11WindowService::WindowClassName(WindowHandle handle, size_t maxChars) {
  XErrorTrap trap(display_);
  XClassHint hint{};
  std::string name;
  if (XGetClassHint(display_, handle, &hint)) {
    if (hint.res_class) name = hint.res_class;
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  if (trap.Failed()) return {};
  return Truncated(name, maxChars);
}

void InstallX11WindowService(std::function<int()> codePage) {
  static std::unique_ptr<IWindowService> service;
  const char* type = std::getenv("XDG_SESSION_TYPE");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool onWayland = (type && std::string(type) == "wayland") || (wayland && *wayland);
  Display* display = onWayland ? nullptr : XOpenDisplay(nullptr);
  if (display) {
    service = std::make_unique<X11WindowService>(display, std::move(codePage));
  } else {
    service = std::make_unique<NoWindowList>();
  }
  SetWindowService(service.get());
}

}  // namespace km27
