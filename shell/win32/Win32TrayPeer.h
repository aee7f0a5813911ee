#pragma once
// The notification area of Windows for TCoolTrayIcon: Shell_NotifyIconA with
// the 488-byte record, one hidden handler window shared by every tray icon
// (callback message WM_TRAYNOTIFY, "TaskbarCreated"), and the popup menu
// built from the form's menu model at the cursor.
#include <windows.h>

#include "shell/CoolTrayIcon.h"

namespace km27 {

// Makes every tray icon created from now on use the Windows notification area.
void InstallWin32TrayPeer();

// The icon of that resource id of the executable (shell/TrayIconIds.h) at
// the notification area's size, for the caller to destroy; the shared
// StockTrayIcon when the executable has no icon of that id.
HICON LoadTrayIcon(int id);
HICON StockTrayIcon();

// The hidden window that receives the callback messages of every tray icon
// (nullptr while there is no icon). Icon ids count from 1 in creation order
// while the window lives.
HWND TrayHandlerWindow();

}  // namespace km27
