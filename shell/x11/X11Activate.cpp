#include "shell/x11/X11Activate.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace km27 {

namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

bool HasClass(Display* display, Window window, const std::string& wmClass) {
  XClassHint hint{};
  if (!XGetClassHint(display, window, &hint)) return false;
  const bool match = (hint.res_class && wmClass == hint.res_class) || (hint.res_name && wmClass == hint.res_name);
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return match;
}

// The shown window of that class among the root's children, or the client
// window a window manager's frame holds (one level down).
Window FindShown(Display* display, Window root, const std::string& wmClass) {
  Window rootReturn = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = count; i-- > 0 && !found;) {  // topmost first
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    if (HasClass(display, children[i], wmClass)) {
      found = children[i];
      break;
    }
    Window r = 0, p = 0, *inner = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, children[i], &r, &p, &inner, &n)) {
      for (unsigned int j = 0; j < n && !found; ++j)
        if (HasClass(display, inner[j], wmClass)) found = inner[j];
      if (inner) XFree(inner);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

bool BringWindowOfClassForward(const std::string& wmClass) {
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return false;
  Display* d = display.get();
  const Window root = DefaultRootWindow(d);
  const Window window = FindShown(d, root, wmClass);
  if (!window) return false;
  // A window manager moves the focus only on its own terms: ask it as a
  // pager would (source 2), and raise the window for a desktop without one.
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 2;
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XRaiseWindow(d, window);
  XSync(d, False);
  return true;
}

}  // namespace km27
