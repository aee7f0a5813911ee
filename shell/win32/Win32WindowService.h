#pragma once
// The desktop's windows on Windows: GetForegroundWindow, GetWindowTextA and
// GetClassNameA.
namespace km27 {

// Makes WindowService() the Windows one for the rest of the process.
void InstallWin32WindowService();

}  // namespace km27
