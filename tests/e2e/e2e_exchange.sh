#!/usr/bin/env bash
# One settings file serves both systems: KM27.exe saves it through its options
# dialog (OK), the Linux program km27 opens it and saves it through its own,
# and KM27.exe again; each save leaves the other's file byte for byte as it
# was, so every page read back what the other wrote. Needs the linux preset's
# build (build/linux, or KM27_LINUX_BUILD_DIR); without it the test is
# skipped.
source "$(dirname "$0")/e2e_lib.sh"

linux_build=${KM27_LINUX_BUILD_DIR:-$KM27_SOURCE_DIR/build/linux}
if [ ! -x "$linux_build/bin/km27" ]; then
  echo "SKIP: no Linux build in $linux_build"
  exit 77
fi

e2e_settings 33 101
sed -i 's/^AutoStart=1\r$/AutoStart=0\r/' "$E2E_WORK/KM27.ini"
grep -q $'^AutoStart=0\r$' "$E2E_WORK/KM27.ini" || e2e_fail "manual start was not set"
e2e_reader 33

windows_ok() {
  e2e_start_km27
  e2e_wait_main_window 15 || e2e_fail "the main window is not shown without auto start"
  e2e_show_option
  e2e_ok_option
  e2e_close_main_window
}
linux_ok() {
  KM27_BUILD_DIR=$linux_build KM27_SOURCE_DIR=$KM27_SOURCE_DIR \
    "$KM27_SOURCE_DIR/tests/e2e/linux/e2e_linux_option_ok.sh" "$E2E_WORK/KM27.ini" || e2e_fail "km27's turn failed"
}
same_as() {
  cmp -s "$1" "$E2E_WORK/KM27.ini" || { diff "$1" "$E2E_WORK/KM27.ini"; e2e_fail "$2"; }
}

windows_ok
cp "$E2E_WORK/KM27.ini" "$E2E_AUX/windows.ini"
e2e_log "KM27.exe saved the settings"
linux_ok
same_as "$E2E_AUX/windows.ini" "km27 changed what KM27.exe saved"
e2e_log "km27 saved them unchanged"
windows_ok
same_as "$E2E_AUX/windows.ini" "KM27.exe changed what km27 saved"
echo "PASS: one settings file goes from KM27.exe to km27 and back through both options dialogs unchanged"
