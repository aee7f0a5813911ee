#include "keyboard/x11/LinuxKeyInjector.h"

#include <cstdlib>
#include <memory>

#include "keyboard/ForegroundWindow.h"
#include "keyboard/KeyInjector.h"
#include "keyboard/uinput/UinputKeyInjector.h"
#include "keyboard/x11/X11KeyInjector.h"
#include "settings/Messages.h"

namespace km27 {

namespace {

// Neither X11 nor uinput has a window that drops synthetic keys the way
// Windows does for a program with more rights.
class NoWindowRefusesKeys final : public IForegroundWindow {
 public:
  bool RefusesSyntheticKeys() override { return false; }
};

std::unique_ptr<IKeyInjector> gInjector;

std::unique_ptr<IKeyInjector> OpenUinput(const LinuxSession& session, const std::function<int()>& codePage,
                                         std::string& error) {
  auto layout = XkbLayoutKeys::Compile(SessionLayoutNames(), error);
  if (!layout) return nullptr;
  auto device = CreateUinputKeyboard(session.uinputPath, error);
  if (!device) return nullptr;
  return std::make_unique<UinputKeyInjector>(std::move(device), std::move(layout), codePage);
}

}  // namespace

LinuxSession CurrentLinuxSession() {
  LinuxSession session;
  const char* type = std::getenv("XDG_SESSION_TYPE");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  session.wayland = (type && std::string(type) == "wayland") || (wayland && *wayland);
  return session;
}

LinuxKeyOutputChoice InstallLinuxKeyInjector(std::function<int()> codePage, const LinuxSession& session) {
  static NoWindowRefusesKeys foreground;
  SetForegroundWindowService(&foreground);
  SetKeyInjector(nullptr);
  gInjector.reset();

  LinuxKeyOutputChoice choice;
  std::string uinputError, x11Error;
  if (session.wayland) gInjector = OpenUinput(session, codePage, uinputError);
  if (gInjector) {
    choice.output = LinuxKeyOutput::Uinput;
  } else {
    gInjector = X11KeyInjector::Open("", codePage, x11Error);
    if (gInjector) choice.output = LinuxKeyOutput::X11;
  }
  SetKeyInjector(gInjector.get());

  // On Wayland, XTEST's keys reach X11 programs only: the user needs the fix
  // as much as when nothing could be opened.
  if (choice.output == LinuxKeyOutput::Uinput) return choice;
  if (choice.output == LinuxKeyOutput::X11 && !session.wayland) return choice;
  choice.message = gstrNoKeyOutput;
  for (const std::string* reason : {&uinputError, &x11Error})
    if (!reason->empty()) choice.message += "\n(" + *reason + ")";
  return choice;
}

}  // namespace km27
