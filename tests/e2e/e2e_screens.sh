#!/usr/bin/env bash
# Screenshots of the main window and of the tray menu (Shift+Ctrl are not
# held, so without the monitor entry) under the test display, written to
# $KM27_BUILD_DIR/screens/ for a person to look at. Checks only that the
# window and the menu appear.
source "$(dirname "$0")/e2e_lib.sh"

shots="$KM27_BUILD_DIR/screens"
mkdir -p "$shots"
display=":$(cat "$KM27_WINE_DIR/display")"
shot() { import -display "$display" -window root "$shots/$1.png" || e2e_fail "no screenshot $1"; }

e2e_settings 34 101
sed -i 's/^AutoStart=1/AutoStart=0/' "$E2E_WORK/KM27.ini"
e2e_reader 34
e2e_start_km27
e2e_wait_main_window 10 || e2e_fail "the main window is not shown without auto start"
sleep 0.5
shot main

# A right click on the icon, as the shell reports it (WM_TRAYNOTIFY, icon 1,
# WM_RBUTTONDOWN); the menu opens at the cursor.
DISPLAY=$display xdotool mousemove 700 500 2>/dev/null
winctl post TCoolTrayIconHandler '*' 0x0800 1 0x0204 || e2e_fail "no tray icon window"
for _ in $(seq 1 50); do
  [ "$(winctl count '#32768')" -ge 1 ] && break
  sleep 0.1
done
[ "$(winctl count '#32768')" -ge 1 ] || e2e_fail "the tray menu did not open"
sleep 0.3
shot tray-menu

# The menu works: its second entry, "Hide Main Form", hides the main window
# (the first, "Show Main Form", is disabled while the window shows).
DISPLAY=$display xdotool mousemove 740 527 click 1 2>/dev/null
for _ in $(seq 1 50); do
  winctl visible TfrmMain 'ORVANE KM-27' || break
  sleep 0.1
done
winctl visible TfrmMain 'ORVANE KM-27' && e2e_fail "Hide Main Form from the tray menu did not hide the window"
echo "PASS: screenshots in $shots (main.png, tray-menu.png); the tray menu hides the main window"
