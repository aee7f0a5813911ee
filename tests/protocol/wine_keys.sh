#!/usr/bin/env bash
# Card reads from the reader simulator on a Wine COM port, typed by
# protocol_wine_keys.exe into its own edit control (see win32/KeyRoundTrip.cpp).
set -u
port=23
here=$(cd "$(dirname "$0")" && pwd)
exe="$KM27_BUILD_DIR/bin/protocol_wine_keys.exe"
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }

# shellcheck source=../serial/wine-sim.sh
. "$here/../serial/wine-sim.sh"
trap 'sim_stop; rm -rf "$SIM_WORK"' EXIT
sim_start "$port" || { echo "FAIL: the simulator did not start"; exit 1; }

"$KM27_WINE_RUN" "$KM27_WINE_DIR" "$exe" "$port" "$SIM_TCP" "Z:$here/win32/keyformat.ini"
rc=$?
[ $rc -eq 0 ] || { echo "--- simulator log"; cat "$SIM_LOG"; }
exit $rc
