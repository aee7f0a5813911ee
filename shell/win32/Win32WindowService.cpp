#include "shell/win32/Win32WindowService.h"

#include <windows.h>
#undef MessageBox

#include <vector>

#include "settings/win32/Win32FileSystem.h"
#include "shell/WindowService.h"

namespace km27 {

namespace {

HWND AsWindow(WindowHandle window) { return reinterpret_cast<HWND>(static_cast<intptr_t>(WindowHandleBits(window))); }

// Reads a text of at most maxChars characters with `read` (GetWindowTextA or
// GetClassNameA, which take the buffer size with its closing 0). A window
// that went away meanwhile reads as empty; any other failure raises.
template <typename Read>
std::string ReadText(WindowHandle window, size_t maxChars, Read read) {
  std::vector<char> buffer(maxChars + 1, '\0');
  SetLastError(ERROR_SUCCESS);
  const int n = read(AsWindow(window), buffer.data(), static_cast<int>(buffer.size()));
  if (n > 0) return std::string(buffer.data(), static_cast<size_t>(n));
  const DWORD error = GetLastError();
  if (error == ERROR_SUCCESS || !IsWindow(AsWindow(window))) return {};
  throw WindowServiceError(Win32ErrorText(error));
}

class Win32WindowService : public IWindowService {
 public:
  WindowHandle ForegroundWindow() override {
    return WindowHandleFromBits(reinterpret_cast<uintptr_t>(GetForegroundWindow()));
  }
  std::string WindowTitle(WindowHandle window, size_t maxChars) override {
    return ReadText(window, maxChars, GetWindowTextA);
  }
  std::string WindowClassName(WindowHandle window, size_t maxChars) override {
    return ReadText(window, maxChars, GetClassNameA);
  }
};

}  // namespace

void InstallWin32WindowService() {
  static Win32WindowService service;
  SetWindowService(&service);
}

}  // namespace km27
