#!/usr/bin/env bash
# TCommX under Wine against the reader simulator on COM11 (a pseudo-terminal
# linked into the prefix's dosdevices); COM18 is kept unlinked as the missing port.
#   serial_win32.sh <serial_win32_tests.exe>
set -u
exe=$1
. "$(dirname "$0")/wine-sim.sh"
trap 'sim_stop; rm -rf "$SIM_WORK"' EXIT
prefix=$KM27_WINE_DIR/prefix
rm -f "$prefix/dosdevices/com18"
sim_start 11 || exit 1
"$KM27_WINE_RUN" "$KM27_WINE_DIR" "$exe"
status=$?
[ $status -eq 0 ] || { echo "--- simulator log (com11) ---"; tail -n 40 "$SIM_LOG"; }
exit $status
