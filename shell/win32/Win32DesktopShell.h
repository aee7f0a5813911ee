#pragma once
// The Windows desktop shell: shortcuts through the shell link object
// (IShellLinkA + IPersistFile, COM initialised once on the user-interface
// thread), the user's "Shell Folders" from the registry, ShellExecuteA "open".
namespace km27 {

// Makes DesktopShell() the Windows shell for the rest of the process.
void InstallWin32DesktopShell();

}  // namespace km27
