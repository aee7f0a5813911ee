#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the native
# GoogleTest suite and the Windows programs under Wine (own prefix and Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export KM27_WERROR=1
./scripts/build.sh all
jobs=${KM27_JOBS:-$(nproc)}
status=0
echo "== native tests =="
ctest --preset native -j "$jobs" || status=1
echo "== Windows tests (Wine) =="
ctest --preset windows -j "$jobs" || status=1
if [ -x tests/fuzz/run.sh ]; then
  echo "== fuzzing (bounded) =="
  tests/fuzz/run.sh || status=1
fi
exit $status
