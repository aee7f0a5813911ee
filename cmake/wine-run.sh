#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix and Xvfb display.
#   wine-run.sh <wine state dir> <program.exe> [args...]
# The state dir is prepared by wine-fixture.sh start.
set -u
state=$(cd "$1" && pwd); shift
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"
if [ -f "$state/display" ]; then export DISPLAY=":$(cat "$state/display")"; fi
exec "$wine" "$@"
