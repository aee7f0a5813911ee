#pragma once
// The notification area of a Linux desktop for TCoolTrayIcon.
//
// Where a StatusNotifier host runs (org.kde.StatusNotifierWatcher on the
// session bus) the icon is an AppIndicator item (libayatana-appindicator3)
// with the model's menu exported over D-Bus: the host opens that menu itself
// on a left or a right click (the item has no activation of its own, so
// hosts fall back to the menu, as the Windows program's left click does);
// the middle click does nothing, as on Windows. The menu is brought up to
// date with the model (OnPopup first) whenever the host is about to show it,
// and whenever the icon changes. The program hears no clicks there, so the
// communication monitor's entry follows "ProbeMode" instead of the
// Shift+Ctrl gesture (ITrayPeer::ClicksWithKeys).
//
// Without a host (or without a session bus: Xvfb, a bare X session) the
// icon is a classic X11 tray icon (GtkStatusIcon, XEmbed); its mouse buttons
// reach the core as the Windows notification messages do, so the core opens
// the menu at the pointer. KM27_TRAY=icon asks for the classic icon always.
//
// Both show the tip text (the classic icon's tooltip, the item's title), and
// balloons go out as desktop notifications (TrayNotifier).
#include <string>

#include "shell/CoolTrayIcon.h"

typedef struct _GtkMenu GtkMenu;

namespace km27 {

enum class TrayKind { StatusNotifier, StatusIcon };

// Whether a StatusNotifier watcher owns its name on the session bus; false
// without a bus, and when the bus gives no answer within `timeoutMs`.
bool StatusNotifierWatcherRunning(int timeoutMs = 1000);

// The kind a new tray icon gets (see above).
TrayKind ChooseTrayKind();

// Makes every tray icon created from now on a GTK one; call after gtk_init.
void InstallGtkTrayPeer();

// The kind and the menu of the peer of a tray icon made while
// InstallGtkTrayPeer was in force (for tests and diagnostics).
TrayKind GtkTrayKindOf(TCoolTrayIcon& icon);
GtkMenu* GtkTrayMenuOf(TCoolTrayIcon& icon);

}  // namespace km27
