#!/usr/bin/env bash
# Pictures of the Linux program km27 (linux build) on an Xvfb display of its
# own at 96 dpi, with the reader simulator as COM31 of a port folder:
#   wizard-1.png  the setup wizard of a new installation
#   main.png      the main window (manual start, the setup completed)
# Each window is taken by itself (no window manager, so no frame).
#   tools/screenshots/capture-linux.sh --out DIR
set -euo pipefail
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 --out DIR"; exit 2 ;;
  esac
done
[ -n "$out" ] || { echo "usage: $0 --out DIR"; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/linux
mkdir -p "$out"
out=$(cd "$out" && pwd)
aux=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[$i]}" 2>/dev/null || true; done
  rm -rf "$aux"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$aux/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do grep -q . "$aux/display" && break; sleep 0.1; done
mkdir -m 0700 "$aux/runtime" "$aux/ports"
export DISPLAY=":$(head -1 "$aux/display")" GDK_BACKEND=x11 NO_AT_BRIDGE=1 \
  XDG_RUNTIME_DIR="$aux/runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$aux/no-bus" KM27_SERIAL_DIR="$aux/ports"
"$build/tools/sim/km27sim" --link "$aux/ports/COM31" --ready-file "$aux/sim.ready" --no-stdin >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [ -e "$aux/ports/COM31" ] && break; sleep 0.05; done

# shoot <window title> <picture>: km27 from a new folder <aux>/work, prepared
# by the caller, until its window shows; then the window alone.
shoot() {
  (cd "$aux/work" && exec ./km27) >"$aux/km27.out" 2>&1 &
  local km27=$! id=""
  for _ in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { kill "$km27"; echo "no window \"$1\": $(cat "$aux/km27.out")"; exit 1; }
  sleep 1  # the start-up check's first answer reaches the window
  import -window "$id" "$out/$2"
  echo "$out/$2"
  kill "$km27"
  wait "$km27" 2>/dev/null || true
}

new_folder() {
  rm -rf "$aux/work"
  mkdir "$aux/work"
  cp "$build/bin/km27" "$build/bin/KM27.ni" "$build/bin/English.rlf" "$build/bin/Japanese.rlf" "$aux/work/"
  # A pseudo-terminal takes no parity and has no modem lines.
  sed -i 's/^Parity=1\r$/Parity=0\r/; s/^ConnectionCheck=111\r$/ConnectionCheck=101\r/' "$aux/work/KM27.ni"
}
caption() { awk -F= -v k="$1" '{ sub(/\r$/, "") } /^\[/ { s = $0 } s == "[Form.Caption]" && $1 == k { print $2 }' "$build/bin/English.rlf"; }

new_folder
shoot "$(caption frmWizard)" wizard-1.png
new_folder
sed 's/^WizardStatus=000\r$/WizardStatus=111\r/; s/^Port=1\r$/Port=31\r/' "$aux/work/KM27.ni" >"$aux/work/KM27.ini"
shoot "$(caption frmMain)" main.png
