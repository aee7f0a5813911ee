#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix and Xvfb display.
#   wine-run.sh <wine state dir> <program.exe> [args...]
# The state dir is prepared by wine-fixture.sh start.
set -u
state=$(cd "$1" && pwd); shift
arch=$(cat "$state/winearch" 2>/dev/null || echo win32)
export WINEPREFIX="$state/prefix" WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$state/display" ]; then export DISPLAY=":$(cat "$state/display")"; fi
exec wine "$@"
