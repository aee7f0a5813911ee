// Entry of the Linux program km27: one copy per user session, the platform
// services wired into the portable core, the windows created in their fixed
// order, and the GLib main loop. The start-up sequence itself runs one second
// later in the main window (tmrStartup), as on Windows.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "InstanceLock.h"
#include "app/AlreadyRunning.h"
#include "app/ProgramWindows.h"
#include "common/MessageSink.h"
#include "common/posix/PosixServices.h"
#include "device/CommX.h"
#include "device/Ports.h"
#include "device/posix/LinuxSerialPorts.h"
#include "device/posix/PortsDirectory.h"
#include "keyboard/x11/LinuxKeyInjector.h"
#include "settings/FileLocations.h"
#include "settings/FileSystem.h"
#include "settings/Version.h"
#include "settings/Messages.h"
#include "settings/PortIdentity.h"
#include "settings/posix/PosixFileSystem.h"
#include "shell/Main.h"
#include "shell/gtk/GtkTrayPeer.h"
#include "shell/posix/PosixDesktopShell.h"
#include "shell/x11/X11Activate.h"
#include "ui/gtk/GtkApplication.h"
// Last, and Xlib's None taken back: it would rename the toolkit's MsgIcon::None.
#include "shell/x11/X11WindowService.h"
#undef None

namespace {

using namespace km27;

// The serial ports the program lists. $KM27_SERIAL_DIR names a folder of
// "COMn" links (the reader simulator's pseudo-terminal, a test rig); without
// it the system's own serial devices.
ISerialDeviceMap& ChooseSerialDevices() {
  static LinuxSerialDeviceMap system;
  static DirectorySerialDeviceMap links;
  const char* dir = std::getenv("KM27_SERIAL_DIR");
  if (dir && *dir) return links;
  // The settings also name a USB adapter by its serial id, so its port stays
  // the same device when ttyUSBn changes with the order of plugging in.
  SetPortIdentity(&system);
  return system;
}

}  // namespace

int main(int argc, char** argv) {
  InstallPosixServices();
  InstallPosixSettingsServices();

  std::unique_ptr<ui::GtkApplication> app;
  try {
    app = std::make_unique<ui::GtkApplication>(&argc, &argv);
  } catch (const ui::DisplayError& e) {
    std::fprintf(stderr, "km27: %s\n", e.what());
    return 1;
  }
  ui::SetApp(app.get());
  app->SetTitle(TfrmMain::kApplicationTitle);

  InstanceLock lock;
  if (!lock.Acquire()) {
    app->SetCodePage(kAlreadyRunningCodePage);
    app->MessageBox(kAlreadyRunningText, kAlreadyRunningCaption, ui::MsgIcon::None, ui::MsgButtons::OK);
    // The first copy's main window is only brought forward, not shown.
    BringWindowOfClassForward("TfrmMain");
    return 0;
  }

  // Beside the program when its folder takes new files (a portable copy),
  // else the user's configuration folder and the installed data.
  try {
    SetFileLocations(ChooseFileLocations(Files(), Files().ExecutablePath(), PosixUserFolders()));
  } catch (const FileError& e) {
    app->MessageBox(e.what(), TfrmMain::kApplicationTitle, ui::MsgIcon::Warning, ui::MsgButtons::OK);
    return 1;
  }

  SetSerialDeviceMap(&ChooseSerialDevices());
  InstallGtkTrayPeer();
  InstallPosixDesktopShell();
  SetMessageSink([](const std::string& text) {
    ui::App().MessageBox(text, TfrmMain::kApplicationTitle, ui::MsgIcon::None, ui::MsgButtons::OK);
  });
  ReadVersionInfo();

  // Keys and the window in front: X11 (XTEST), or a uinput keyboard in a
  // Wayland session; texts of the program's code page at the time of use.
  ui::GtkApplication* gtk = app.get();
  auto codePage = [gtk] { return gtk->CodePage(); };
  const LinuxKeyOutputChoice keys = InstallLinuxKeyInjector(codePage);
  InstallX11WindowService(codePage);

  // The windows, in their fixed order; all hidden.
  ProgramWindows windows(CreateCommX());
  if (!keys.message.empty()) {
    // Said once the language is in force; the system's reasons follow the text.
    const size_t reasons = keys.message.find("\n(");
    const std::string detail = reasons == std::string::npos ? std::string() : keys.message.substr(reasons);
    frmMain->StartupNotice = [detail] { return gstrNoKeyOutput + detail; };
  }
  return app->Run();
}
