#pragma once
// Bringing another program's window forward on X11, for a second copy that
// hands over to the first: the first copy's shown window of that WM_CLASS
// is raised and, where a window manager runs, made the active window.
// Written without Xlib in the header, so that its macros stay out of the
// callers.
#include <string>

namespace km27 {

// True when a shown top-level window of that class was found.
bool BringWindowOfClassForward(const std::string& wmClass);

}  // namespace km27
