#pragma once
// The foreground window's process, judged by its token against this
// process's own.
#include <windows.h>

#include "keyboard/ForegroundWindow.h"

namespace km27 {

class Win32ForegroundWindow final : public IForegroundWindow {
 public:
  bool RefusesSyntheticKeys() override;

  // This process's rights, and those of the process that owns a window.
  static ProcessRights OwnRights();
  static ProcessRights RightsOfWindow(HWND window);
};

// Makes the process-wide Windows service the one in force.
void InstallWin32ForegroundWindow();

}  // namespace km27
