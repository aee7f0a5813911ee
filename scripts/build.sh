#!/usr/bin/env bash
# Configures and builds one preset (native, windows, windows64 or linux), or
# the native and Windows ones in order.
#   scripts/build.sh [native|windows|windows64|linux|all]
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
jobs=${KM27_JOBS:-$(nproc)}
build() {
  cmake --preset "$1" ${KM27_WERROR:+-DKM27_WERROR=ON} >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}
case "$what" in
  native) build native ;;
  windows | windows64) build native; build "$what" ;;   # Wine tests use the native reader simulator
  linux) build linux ;;   # the Linux program, with its own reader simulator and target window
  all) build native; build windows; build windows64 ;;
  *) echo "usage: $0 [native|windows|windows64|linux|all]"; exit 2 ;;
esac
