// Entry of KM27.exe: one copy per desktop, the platform services wired into
// the portable core, the windows created in their fixed order, and the message
// loop. The start-up sequence itself runs one second later in the main
// window (tmrStartup).
#include <windows.h>
#undef MessageBox

#include <string>

#include "app/AlreadyRunning.h"
#include "app/ProgramWindows.h"
#include "common/CodePage.h"
#include "common/MessageSink.h"
#include "common/win32/Win32CodePage.h"
#include "device/CommX.h"
#include "device/Ports.h"
#include "device/win32/PortsRegistry.h"
#include "keyboard/win32/Win32ForegroundWindow.h"
#include "keyboard/win32/Win32KeyInjector.h"
#include "settings/Version.h"
#include "settings/win32/Win32FileSystem.h"
#include "shell/Main.h"
#include "shell/win32/Win32DesktopShell.h"
#include "shell/win32/Win32WindowService.h"
#include "shell/win32/Win32TrayPeer.h"
#include "ui/win32/Win32Application.h"

namespace {

constexpr const char* kMutexName = "ORVANE KM-27 Application";
constexpr const char* kMainClass = "TfrmMain";
constexpr const char* kMainTitle = "ORVANE KM-27";

// The single-instance lock. Held, never released explicitly, until the
// process ends.
class InstanceMutex {
 public:
  InstanceMutex() : handle_(CreateMutexA(nullptr, FALSE, kMutexName)) {}
  ~InstanceMutex() {
    if (handle_) CloseHandle(handle_);
  }
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;

  // False when another copy owns the lock. A lock that cannot be created at
  // all does not keep the program from running.
  bool Acquire() {
    if (!handle_) return true;
    return WaitForSingleObject(handle_, 0) != WAIT_TIMEOUT;
  }

 private:
  HANDLE handle_;
};

void ShowAlreadyRunning() {
  // The box belongs to the application's own (hidden) window, titled like the
  // program, as every box of the program does; none of the program's windows
  // is made.
  HWND application = CreateWindowExA(0, "STATIC", km27::TfrmMain::kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
  const std::wstring text = km27::WideFromCodePage(km27::kAlreadyRunningCodePage, km27::kAlreadyRunningText);
  const std::wstring caption = km27::WideFromCodePage(km27::kAlreadyRunningCodePage, km27::kAlreadyRunningCaption);
  if (!text.empty() && !caption.empty()) {
    MessageBoxW(application, text.c_str(), caption.c_str(), MB_OK);
  } else {
    // A Windows without code page 932 shows the bytes as they are.
    MessageBoxA(application, km27::kAlreadyRunningText, km27::kAlreadyRunningCaption, MB_OK);
  }
  if (application) DestroyWindow(application);
  // The first copy's main window is only brought forward, not shown.
  if (HWND first = FindWindowA(kMainClass, kMainTitle)) SetForegroundWindow(first);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace km27;

  InstanceMutex mutex;
  if (!mutex.Acquire()) {
    ShowAlreadyRunning();
    return 0;
  }

  // Platform services of the portable core.
  static Win32CodePage codePage;
  SetAnsiCodePage(&codePage);
  InstallWin32KeyInjector();
  InstallWin32ForegroundWindow();
  InstallWin32SettingsServices();
  static RegistrySerialDeviceMap deviceMap;
  SetSerialDeviceMap(&deviceMap);
  InstallWin32TrayPeer();
  InstallWin32DesktopShell();
  InstallWin32WindowService();

  static ui::Win32Application app(instance);
  ui::SetApp(&app);
  app.SetTitle(TfrmMain::kApplicationTitle);
  SetMessageSink([](const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), TfrmMain::kApplicationTitle, MB_OK);
  });

  ReadVersionInfo();

  // The windows, in their fixed order; all hidden.
  ProgramWindows windows(CreateCommX());

  return app.Run();
}
