// Entry of KM27.exe: one copy per desktop, the platform services wired into
// the portable core, the windows created in their fixed order, and the message
// loop. The start-up sequence itself runs one second later in the main
// window (tmrStartup).
#include <windows.h>
#undef MessageBox

#include <memory>
#include <string>

#include "common/CodePage.h"
#include "common/MessageSink.h"
#include "common/win32/Win32CodePage.h"
#include "device/Comm.h"
#include "device/CommX.h"
#include "device/Ports.h"
#include "device/win32/PortsRegistry.h"
#include "keyboard/KeyCode.h"
#include "keyboard/ReadData.h"
#include "keyboard/win32/Win32ForegroundWindow.h"
#include "keyboard/win32/Win32KeyInjector.h"
#include "settings/Language.h"
#include "settings/Version.h"
#include "settings/win32/Win32FileSystem.h"
#include "shell/Main.h"
#include "shell/ReadConsumers.h"
#include "shell/option/Option.h"
#include "shell/wizard/Wizard.h"
#include "shell/win32/Win32DesktopShell.h"
#include "shell/win32/Win32WindowService.h"
#include "shell/win32/Win32TrayPeer.h"
#include "ui/win32/Win32Application.h"

namespace {

constexpr const char* kMutexName = "ORVANE KM-27 Application";
constexpr const char* kMainClass = "TfrmMain";
constexpr const char* kMainTitle = "ORVANE KM-27";

// "ORVANE KM-27はすでに起動されています。" and "２重起動はできません" in code
// page 932: the second copy's message does not come from a language file.
// It is shown through the wide API, converted from code page 932, so that it
// reads as written whatever the system's ANSI code page is.
constexpr char kAlreadyRunningText[] = {
    'O', 'R', 'V', 'A', 'N', 'E', ' ', 'K', 'M', '-', '2', '7',
    '\x82', '\xCD', '\x82', '\xB7', '\x82', '\xC5', '\x82', '\xC9', '\x8B', '\x4E', '\x93', '\xAE',
    '\x82', '\xB3', '\x82', '\xEA', '\x82', '\xC4', '\x82', '\xA2', '\x82', '\xDC', '\x82', '\xB7',
    '\x81', '\x42', '\0'};
constexpr char kAlreadyRunningCaption[] = {
    '\x82', '\x51', '\x8F', '\x64', '\x8B', '\x4E', '\x93', '\xAE', '\x82', '\xCD',
    '\x82', '\xC5', '\x82', '\xAB', '\x82', '\xDC', '\x82', '\xB9', '\x82', '\xF1', '\0'};

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
  const std::wstring text = km27::WideFromCodePage(932, kAlreadyRunningText);
  const std::wstring caption = km27::WideFromCodePage(932, kAlreadyRunningCaption);
  if (!text.empty() && !caption.empty()) {
    MessageBoxW(application, text.c_str(), caption.c_str(), MB_OK);
  } else {
    // A Windows without code page 932 shows the bytes as they are.
    MessageBoxA(application, kAlreadyRunningText, kAlreadyRunningCaption, MB_OK);
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
  auto main = std::make_unique<TfrmMain>();
  frmMain = main.get();
  auto comm = std::make_unique<TfrmComm>(CreateCommX());
  frmComm = comm.get();
  auto option = std::make_unique<TfrmOption>();
  frmOption = option.get();
  frmMain->OptionForm = frmOption;
  frmMain->OnApplyOptionLayout = [] {
    if (frmOption) frmOption->ApplyOptionLayout();
  };
  auto keyCode = std::make_unique<TfrmKeyCode>();
  frmKeyCode = keyCode.get();
  auto readData = std::make_unique<TfrmReadData>();
  frmReadData = readData.get();
  // The read data dialog runs the converter through the main window's actions.
  frmReadData->Run.Start = [] { frmMain->actStart->Execute(); };
  frmReadData->Run.Stop = [] { frmMain->actStop->Execute(); };
  frmReadData->Run.ShowMain = [] { frmMain->actShowMain->Execute(); };
  auto wizard = std::make_unique<TfrmWizard>();
  frmWizard = wizard.get();
  frmMain->WizardForm = frmWizard;

  // Reads go to the setup wizard while it shows, else to the read data
  // dialog while that shows.
  static TReadConsumers readConsumers;
  readConsumers.wizard = frmWizard;
  readConsumers.wizardReadCheck = [] {
    if (frmWizard) frmWizard->WizardReadCheck();
  };
  readConsumers.readData = frmReadData;
  frmComm->readConsumers = &readConsumers;

  LanguageForms forms;
  forms.main = frmMain;
  forms.comm = frmComm;
  forms.option = frmOption;
  forms.keyCode = frmKeyCode;
  forms.readData = frmReadData;
  forms.wizard = frmWizard;
  SetLanguageForms(forms);

  int code = app.Run();

  // Windows go in reverse order; the port closes with the communication window.
  SetLanguageForms(LanguageForms{});
  frmComm->readConsumers = nullptr;
  readConsumers.wizard = nullptr;
  readConsumers.wizardReadCheck = nullptr;
  frmMain->WizardForm = nullptr;
  frmWizard = nullptr;
  wizard.reset();
  readConsumers.readData = nullptr;
  frmReadData = nullptr;
  readData.reset();
  frmKeyCode = nullptr;
  keyCode.reset();
  frmMain->OptionForm = nullptr;
  frmMain->OnApplyOptionLayout = nullptr;
  frmOption = nullptr;
  option.reset();
  frmComm = nullptr;
  comm.reset();
  frmMain = nullptr;
  main.reset();
  return code;
}
