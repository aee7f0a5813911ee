// The X11 window service reads back what a window manager and a program set:
// the active window of the root, the class part of WM_CLASS and the UTF-8
// title turned into the program's code page.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

#include "common/CodePage.h"
#include "common/posix/IconvTextCodec.h"
#include "settings/Messages.h"
#include "shell/x11/X11WindowService.h"

namespace km27 {
namespace {

TEST(X11WindowService, ReadsTheActiveWindowItsClassAndTitle) {
  IconvTextCodec codec;
  SetTextCodec(&codec);
  CodePage932 sjis;
  SetAnsiCodePage(&sjis);
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 100, 50, 0, 0, 0);
  char name[] = "notepad", cls[] = "Notepad";
  XClassHint hint{name, cls};
  XSetClassHint(d, w, &hint);
  const std::string title = "\xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89 1";  // "カード 1"
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
  XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&w), 1);
  XSync(d, False);

  X11WindowService service(XOpenDisplay(nullptr), [] { return 932; });
  const WindowHandle active = service.ForegroundWindow();
  EXPECT_EQ(active, w);
  EXPECT_EQ(service.WindowClassName(active, 256), "Notepad");
  EXPECT_EQ(service.WindowTitle(active, 256), "\x83J\x81[\x83h 1");  // the same in code page 932
  EXPECT_EQ(service.WindowTitle(active, 2), "\x83J\x81[");           // two characters, none cut in half

  // A window that closed meanwhile reads as empty, never as an end of the program.
  XDestroyWindow(d, w);
  XSync(d, False);
  EXPECT_EQ(service.WindowClassName(active, 256), "");
  EXPECT_EQ(service.WindowTitle(active, 256), "");
  XCloseDisplay(d);
  SetAnsiCodePage(nullptr);
  SetTextCodec(nullptr);
}

}  // namespace
}  // namespace km27

namespace km27 {
namespace {

TEST(X11WindowService, AWaylandSessionSaysOnceThatThePageCannotWorkThere) {
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  InstallX11WindowService([] { return 1252; });
  unsetenv("WAYLAND_DISPLAY");
  try {
    WindowService().ForegroundWindow();
    ADD_FAILURE() << "no word that the page cannot work here";
  } catch (const WindowServiceError& e) {
    EXPECT_EQ(std::string(e.what()), gstrNoWindowList);
  }
  EXPECT_EQ(WindowService().ForegroundWindow(), 0u);  // the page's next ticks find no window
  SetWindowService(nullptr);
}

}  // namespace
}  // namespace km27
