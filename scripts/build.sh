#!/usr/bin/env bash
# Configures and builds one preset (native or windows), or both in order.
#   scripts/build.sh [native|windows|all]
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
  windows) build native; build windows ;;   # Wine tests use the native reader simulator
  all) build native; build windows ;;
  *) echo "usage: $0 [native|windows|all]"; exit 2 ;;
esac
