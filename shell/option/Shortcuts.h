#pragma once
// The desktop shortcut ("KM-27", replaced when present) and the start-up
// shortcut (the application title, in the user's start-up folder, created
// only when absent, deleted only when present), each after the
// user's OK. The options dialog's General page and the setup wizard's last
// page run them through TfrmOption::btnSetDesktpClick and SetStartup.
#include <string>

namespace km27 {

void CreateDesktopShortcut();
void SetStartupShortcut(bool create);

// The shortcut files, as the desktop shell names them (on Windows the
// "Shell Folders" folder, "\", the name and ".Lnk").
std::string DesktopShortcutPath();
std::string StartupShortcutPath();

}  // namespace km27
