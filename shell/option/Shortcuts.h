#pragma once
// The desktop shortcut ("KM-27.Lnk", replaced when present) and the start-up
// shortcut (the application title + ".Lnk" in the user's start-up folder,
// created only when absent, deleted only when present), each after the
// user's OK. The options dialog's General page and the setup wizard's last
// page run them through TfrmOption::btnSetDesktpClick and SetStartup.
#include <string>

namespace km27 {

void CreateDesktopShortcut();
void SetStartupShortcut(bool create);

// The shortcut paths: the "Shell Folders" folder, "\" and the file name.
std::string DesktopShortcutPath();
std::string StartupShortcutPath();

}  // namespace km27
