#!/usr/bin/env bash
# The key code and read data dialogs under Wine, with the reader simulator on
# COM12; screenshots of both dialogs go to $KM27_BUILD_DIR/screens/ for a
# person to look at (key-code.png, read-data.png).
#   keyboard_dialogs_wine.sh <keyboard_dialogs_wine.exe>
set -u
exe=$1
. "$KM27_SOURCE_DIR/tests/serial/wine-sim.sh"
. "$KM27_SOURCE_DIR/tests/wine/shots.sh"
trap 'sim_stop; rm -rf "$SIM_WORK" "$KM27_SHOTS"' EXIT
sim_start 12 || exit 1

"$KM27_WINE_RUN" "$KM27_WINE_DIR" "$exe" &
shots_watch $!
status=$?
[ $status -eq 0 ] || { echo "--- simulator log (com12) ---"; tail -n 40 "$SIM_LOG"; }
exit $status
