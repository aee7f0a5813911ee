#!/usr/bin/env bash
# Installs what is missing, builds, and runs KM27.exe under Wine (on Windows,
# build/windows/bin/KM27.exe runs as it is).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh all
state=$PWD/build/run
mkdir -p "$state"
./cmake/wine-fixture.sh start "$state" >/dev/null
trap './cmake/wine-fixture.sh stop "$state" >/dev/null' EXIT
if [ -n "${DISPLAY:-}" ] && [ -z "${KM27_HEADLESS:-}" ]; then
  # A real display is there: show the program on it.
  echo "$DISPLAY" | tr -d ':' >"$state/display"
fi
cp build/windows/bin/KM27.exe build/windows/bin/*.ni build/windows/bin/*.rlf "$state"/ 2>/dev/null || true
echo "Running KM27.exe under Wine (close its window or press Ctrl+C to end)"
./cmake/wine-run.sh "$state" "$state/KM27.exe"
