#!/usr/bin/env bash
# Installs what is missing, builds the native preset, both Windows presets and
# the Linux program, and runs every test: the native GoogleTest suite, the
# Windows programs under Wine (a prefix and an Xvfb display of each build's
# own), the Linux program under Xvfb (its platform layers, end to end, and its
# Debian package installed and removed) and the bounded fuzzing; it also
# makes the three release packages.
#
# Whether this host runs 32-bit programs is decided once, by trying one
# (scripts/host32.sh; KM27_HOST32=0 forces the 64-bit-only path). Where it
# does, the 32-bit build runs the whole Wine suite and the 64-bit build its
# main job; where it does not, the 64-bit build runs the whole Wine suite and
# the 32-bit build is checked without being run.
set -euo pipefail
cd "$(dirname "$0")/.."
KM27_HOST32=$(./scripts/host32.sh)
export KM27_HOST32
./scripts/install-deps.sh
export KM27_WERROR=1
./scripts/build.sh all
./scripts/build.sh linux
jobs=${KM27_JOBS:-$(nproc)}
status=0
echo "== native tests =="
ctest --preset native -j "$jobs" || status=1
if [ "$KM27_HOST32" = 1 ]; then
  echo "== Windows tests, 32-bit (Wine) =="
  ctest --preset windows -j "$jobs" || status=1
  echo "== Windows tests, 64-bit (Wine): the program's main job =="
  ctest --preset windows64 -j "$jobs" -L main64 || status=1
else
  echo "This host does not run 32-bit programs: the 64-bit build runs the Wine tests, the 32-bit build is checked without running it."
  echo "== Windows tests, 32-bit: the program checked as a file =="
  ctest --preset windows -j "$jobs" -L static || status=1
  echo "== Windows tests, 64-bit (Wine) =="
  ctest --preset windows64 -j "$jobs" || status=1
fi
echo "== release packages =="
for preset in windows windows64 linux; do
  cmake --build --preset "$preset" --target package >/dev/null || { echo "no package from $preset"; status=1; }
done
ls -l build/windows/package/*.zip build/windows64/package/*.zip build/linux/package/*.deb || status=1
echo "== Linux program (Xvfb) =="
ctest --preset linux -j "$jobs" || status=1
if [ -x tests/fuzz/run.sh ]; then
  echo "== fuzzing (bounded) =="
  tests/fuzz/run.sh || status=1
fi
exit $status
