#!/usr/bin/env bash
# Starts or stops the Wine environment of a build: an Xvfb display of its own
# and a Wine prefix inside the build tree (created once, then reused): 32-bit
# (win32, the default) or 64-bit (win64) as the build's programs are.
#   wine-fixture.sh start <state dir> [win32|win64]
#   wine-fixture.sh stop <state dir>
set -u
cmd=$1
mkdir -p "$2"
state=$(cd "$2" && pwd)
if [ "$cmd" = start ]; then
  case "${3:-win32}" in
    win32 | win64) echo "${3:-win32}" >"$state/winearch" ;;
    *) echo "usage: $0 start <state dir> [win32|win64]"; exit 2 ;;
  esac
fi
WINEDEBUG=-all
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"

stop() {
  if [ -f "$state/display" ]; then
    DISPLAY=":$(cat "$state/display")" wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/display"
}

case "$cmd" in
start)
  stop
  rm -f "$state/display.num"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display.num" >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 1 100); do
    [ -s "$state/display.num" ] && break
    sleep 0.1
  done
  if [ ! -s "$state/display.num" ]; then echo "Xvfb did not start"; exit 1; fi
  tr -d '\n' <"$state/display.num" >"$state/display"
  export DISPLAY=":$(cat "$state/display")"
  if [ -f "$WINEPREFIX/system.reg" ] && ! grep -qx "#arch=$arch" "$WINEPREFIX/system.reg"; then
    rm -rf "$WINEPREFIX"   # made for the other architecture
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating $arch Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # Keep one wineserver for the whole run so every test starts quickly, and
  # start Wine's own services now with their output away from ctest's pipes
  # (a service started by a test would hold that test's output open).
  wineserver -p >/dev/null 2>&1
  "$wine" cmd /c exit >/dev/null 2>&1 </dev/null
  echo "Wine ready on display $DISPLAY"
  ;;
stop)
  stop
  echo "Wine stopped"
  ;;
*)
  echo "usage: $0 start <state dir> [win32|win64] | stop <state dir>"; exit 2 ;;
esac
