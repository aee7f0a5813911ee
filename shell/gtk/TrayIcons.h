#pragma once
// The program's icons on Linux: freedesktop icon names in the hicolor theme
// (data/icons/hicolor, made by tools/icons/make-linux-icons.sh). They are
// found in a portable copy beside the program (<program folder>/icons/hicolor)
// or in the installed theme (/usr/share/icons/hicolor).
#include <string>

namespace km27 {

// The icon name of a tray icon id (shell/TrayIconIds.h): "km27-stopped",
// "km27-running", and the program's "km27" for any other id.
std::string TrayIconName(int id);

// The folder holding the portable theme ("<program folder>/icons", with
// hicolor/ inside) when there is one beside `executablePath`; else empty.
std::string PortableIconFolder(const std::string& executablePath);

// Makes GTK's own icon lookups (the classic tray icon, windows) see the
// portable copy as well; once per process, later calls do nothing.
void AddPortableIconFolder(const std::string& folder);

// A file of the named icon in the portable copy, at the largest size up to
// `size`, for a service that looks icons up in a theme of its own (the
// notification daemon); empty when the copy has none.
std::string PortableIconFile(const std::string& folder, const std::string& name, int size);

}  // namespace km27
