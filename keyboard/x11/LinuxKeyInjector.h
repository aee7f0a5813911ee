#pragma once
// Which key output the Linux program uses. An X11 session types through
// XTEST; a Wayland session types through a uinput keyboard when
// /dev/uinput is writable (Wayland gives XTEST's keys only to X11
// programs), and through XTEST on XWayland otherwise.
#include <functional>
#include <string>

namespace km27 {

enum class LinuxKeyOutput { None, X11, Uinput };

struct LinuxKeyOutputChoice {
  LinuxKeyOutput output = LinuxKeyOutput::None;
  // Empty when the keys reach the focused window; otherwise what to tell the
  // user once (gstrNoKeyOutput, with the fix, then the system's reason).
  std::string message;
};

struct LinuxSession {
  bool wayland = false;       // XDG_SESSION_TYPE=wayland or WAYLAND_DISPLAY set
  std::string uinputPath = "/dev/uinput";
};
LinuxSession CurrentLinuxSession();

// Makes the chosen injector the one in force (and the Linux answer to
// "does the window in front refuse synthetic keys": never). `codePage`
// gives the program's code page at the time of typing. Call once at start.
LinuxKeyOutputChoice InstallLinuxKeyInjector(std::function<int()> codePage,
                                             const LinuxSession& session = CurrentLinuxSession());

}  // namespace km27
