/* Resource ids of the tray icons in the executable: index 0 (stopped) and
   index 1 (converting) of the main window's icon list. Plain #defines only,
   so that the resource compiler can read this file too. */
#ifndef KM27_SHELL_TRAYICONIDS_H
#define KM27_SHELL_TRAYICONIDS_H

#define KM27_ICON_TRAY_STOPPED 101
#define KM27_ICON_TRAY_RUNNING 102

#endif
