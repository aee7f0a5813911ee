#include "keyboard/win32/Win32ForegroundWindow.h"

namespace km27 {

namespace {

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
#endif

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() {
    if (h_) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }
  HANDLE* Out() { return &h_; }

 private:
  HANDLE h_;
};

ProcessRights Refusal() { return GetLastError() == ERROR_ACCESS_DENIED ? ProcessRights::Denied : ProcessRights::Unknown; }

ProcessRights RightsOfProcess(HANDLE process) {
  Handle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.Out())) return Refusal();
  TOKEN_ELEVATION elevation{};
  DWORD length = 0;
  if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &length))
    return ProcessRights::Unknown;
  return elevation.TokenIsElevated ? ProcessRights::Elevated : ProcessRights::Normal;
}

}  // namespace

ProcessRights Win32ForegroundWindow::OwnRights() {
  static const ProcessRights own = RightsOfProcess(GetCurrentProcess());
  return own;
}

ProcessRights Win32ForegroundWindow::RightsOfWindow(HWND window) {
  DWORD pid = 0;
  if (!window || !GetWindowThreadProcessId(window, &pid) || pid == 0) return ProcessRights::Unknown;
  if (pid == GetCurrentProcessId()) return OwnRights();
  Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process.Get()) return Refusal();
  return RightsOfProcess(process.Get());
}

bool Win32ForegroundWindow::RefusesSyntheticKeys() {
  // Asked only when there is a read to type: no caching of the window.
  if (OwnRights() == ProcessRights::Elevated) return false;
  return KeysRefused(OwnRights(), RightsOfWindow(GetForegroundWindow()));
}

void InstallWin32ForegroundWindow() {
  static Win32ForegroundWindow service;
  SetForegroundWindowService(&service);
}

}  // namespace km27
