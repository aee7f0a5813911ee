#!/usr/bin/env bash
# Card reads from the reader simulator on a Wine COM port, typed by
# protocol_wine_keys.exe into its own edit control (see win32/KeyRoundTrip.cpp).
set -u
port=23
here=$(cd "$(dirname "$0")" && pwd)
sim="$KM27_NATIVE_BUILD_DIR/tools/sim/km27sim"
exe="$KM27_BUILD_DIR/bin/protocol_wine_keys.exe"
[ -x "$sim" ] || { echo "FAIL: no simulator at $sim"; exit 1; }
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }

work=$(mktemp -d)
link="$KM27_WINE_DIR/prefix/dosdevices/com$port"
"$sim" --link "$link" --ready-file "$work/ready" --log "$work/sim.log" --control-tcp 0 --no-stdin &
simpid=$!
cleanup() {
  kill "$simpid" 2>/dev/null
  wait "$simpid" 2>/dev/null
  rm -f "$link"
  rm -rf "$work"
}
trap cleanup EXIT

tcp=""
for _ in $(seq 1 100); do
  tcp=$(awk '$1 == "tcp" { print $2 }' "$work/ready" 2>/dev/null)
  [ -n "$tcp" ] && break
  sleep 0.1
done
[ -n "$tcp" ] || { echo "FAIL: the simulator did not start"; exit 1; }

"$KM27_WINE_RUN" "$KM27_WINE_DIR" "$exe" "$port" "$tcp" "Z:$here/win32/keyformat.ini"
rc=$?
[ $rc -eq 0 ] || { echo "--- simulator log"; cat "$work/sim.log"; }
exit $rc
