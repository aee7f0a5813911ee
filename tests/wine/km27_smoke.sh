#!/usr/bin/env bash
# KM27.exe starts under Wine, stays up, and ends when its main window is closed.
set -u
run="$KM27_WINE_RUN $KM27_WINE_DIR"
bin="$KM27_BUILD_DIR/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin"/KM27.exe "$work"/
cp "$bin"/*.ni "$bin"/*.rlf "$work"/ 2>/dev/null || true

$run "$work/KM27.exe" &
pid=$!
$run "$bin/winctl.exe" wait TfrmMain '*' 20000 || { echo "FAIL: no main window"; kill $pid; exit 1; }
sleep 2
kill -0 $pid 2>/dev/null || { echo "FAIL: KM27.exe ended on its own"; exit 1; }
$run "$bin/winctl.exe" close TfrmMain || { echo "FAIL: could not close"; kill $pid; exit 1; }
for _ in $(seq 1 100); do
  kill -0 $pid 2>/dev/null || { wait $pid; echo "PASS: KM27.exe started, stayed up and closed"; exit 0; }
  sleep 0.1
done
echo "FAIL: KM27.exe still running after WM_CLOSE"
kill $pid
exit 1
