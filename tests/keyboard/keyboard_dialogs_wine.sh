#!/usr/bin/env bash
# The key code and read data dialogs under Wine, with the reader simulator on
# COM12; screenshots of both dialogs go to $KM27_BUILD_DIR/screens/ for a
# person to look at (key-code.png, read-data.png).
#   keyboard_dialogs_wine.sh <keyboard_dialogs_wine.exe>
set -u
exe=$1
. "$KM27_SOURCE_DIR/tests/serial/wine-sim.sh"
shots="$KM27_BUILD_DIR/screens"
mkdir -p "$shots"
export KM27_SHOTS=$SIM_WORK/shots
mkdir -p "$KM27_SHOTS"
trap 'sim_stop; rm -rf "$SIM_WORK"' EXIT
display=":$(cat "$KM27_WINE_DIR/display")"
sim_start 12 || exit 1

"$KM27_WINE_RUN" "$KM27_WINE_DIR" "$exe" &
pid=$!
# The program announces a dialog ready for its picture and waits for it.
while kill -0 "$pid" 2>/dev/null; do
  for marker in "$KM27_SHOTS"/*.ready; do
    [ -e "$marker" ] || continue
    name=$(basename "$marker" .ready)
    sleep 0.3
    import -display "$display" -window root "$shots/$name.png" || echo "no screenshot $name"
    rm -f "$marker"
  done
  sleep 0.1
done
wait "$pid"
status=$?
[ $status -eq 0 ] || { echo "--- simulator log (com12) ---"; tail -n 40 "$SIM_LOG"; }
exit $status
