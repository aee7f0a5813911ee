#pragma once
// Which key output the Linux program uses. An X11 session types through
// XTEST; a Wayland session types through a uinput keyboard when
// /dev/uinput is writable (Wayland gives XTEST's keys only to X11
// programs), and through XTEST on XWayland otherwise.
#include <functional>
#include <string>

namespace km27 {

enum class LinuxKeyOutput { Nothing, X11, Uinput };

struct LinuxKeyOutputChoice {
  LinuxKeyOutput output = LinuxKeyOutput::Nothing;
  // The keys may miss the focused window (nothing could be opened, or a
  // Wayland session without uinput); `reasons` holds the system's own words.
  bool needsFix = false;
  std::string reasons;
  // What to tell the user once, in the language applied at the time of
  // asking (gstrNoKeyOutput with the fix, then the reasons); empty when the
  // keys reach the focused window.
  std::string Message() const;
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
