#!/usr/bin/env bash
# Pictures of the Linux program km27 (GTK 3) on a display of its own (Xvfb):
# the setup wizard of a new installation, the main window and the pages of
# the options dialog (the target window page in probe mode), each window
# alone. The reader simulator plays the reader on COM37 (a link in a folder
# of ports, KM27_SERIAL_DIR), so the wizard finds it and reads a test swipe.
# There is no window manager on the display: the windows have no frames.
# Controls are clicked at their designed places, scaled; what the program
# does in between is waited for with pauses.
#
#   tools/screenshots/capture-linux.sh [--dpi N] [--japanese] [--out DIR]
#
#   --dpi N       the screen's resolution (KM27_SCREEN_DPI); default 96
#   --japanese    Japanese.rlf (code page 932, fonts-ipafont-gothic)
#   --out DIR     where the PNGs go; default docs/screenshots/linux/<en|ja>[-<dpi>dpi]
#
# Needs the linux build (cmake --build --preset linux --target km27).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
dpi=96 japanese="" out=""
while [ $# -gt 0 ]; do
  case "$1" in
  --dpi) dpi=$2; shift 2 ;;
  --japanese) japanese=1; shift ;;
  --out) out=$2; shift 2 ;;
  *) echo "usage: $0 [--dpi N] [--japanese] [--out DIR]"; exit 2 ;;
  esac
done
variant=$([ -n "$japanese" ] && echo ja || echo en)$([ "$dpi" != 96 ] && echo "-${dpi}dpi")
out=${out:-$root/docs/screenshots/linux/$variant}
mkdir -p "$out"
out=$(cd "$out" && pwd)
bin=$root/build/linux/bin
sim_bin=$root/build/linux/tools/sim/km27sim
[ -x "$bin/km27" ] && [ -x "$sim_bin" ] || { echo "build first: cmake --build --preset linux --target km27 km27sim"; exit 1; }

fail() { echo "capture-linux: $*" >&2; exit 1; }
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
[ -n "${KM27_KEEP:-}" ] && trap "cp -r $work /tmp/capture-work; cleanup" EXIT

# A portable copy: the program, its default settings (named after the
# program) and the language files; an empty folder of serial ports.
cp "$bin/km27" "$bin/English.rlf" "$bin/Japanese.rlf" "$work/"
cp "$bin/KM27.ni" "$work/KM27.ni"
[ -n "$japanese" ] && sed -i 's/^LanguageFile=.*\r$/LanguageFile=Japanese.rlf\r/' "$work/KM27.ni"
# A pseudo-terminal has no modem lines: their check is off, as in the
# pictures of the Windows program.
sed -i 's/^Parity=1\r$/Parity=0\r/; s/^ConnectionCheck=111\r$/ConnectionCheck=101\r/' "$work/KM27.ni"
mkdir -p "$work/ports"
"$sim_bin" --link "$work/ports/COM37" --ready-file "$work/sim.ready" --control-tcp 0 --no-stdin \
  --log "$work/sim.log" >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do grep -q '^tcp ' "$work/sim.ready" 2>/dev/null && break; sleep 0.05; done
sim_tcp=$(awk '/^tcp /{print $2}' "$work/sim.ready" 2>/dev/null)
[ -n "$sim_tcp" ] || fail "the reader simulator did not start: $(cat "$work/sim.out")"
sim() { "$sim_bin" --send-tcp "$sim_tcp" "$@" >/dev/null; }

display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1280x1024x24 -dpi "$dpi" -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display NO_AT_BRIDGE=1 GDK_BACKEND=x11 KM27_SCREEN_DPI=$dpi KM27_SERIAL_DIR=$work/ports
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
scale() { echo $((($1 * dpi + 48) / 96)); }

km27=""
start_km27() {
  (cd "$work" && exec ./km27 >>"$work/km27.log" 2>&1) &
  km27=$!
  pids+=($km27)
}
stop_km27() {
  kill "$km27" 2>/dev/null
  wait "$km27" 2>/dev/null
}
# window <WM_CLASS>: the id of the shown window of that class (waits for it).
window() {
  local id
  for _ in $(seq 1 200); do
    id=$(xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  import -window root "$out/failed-$1.png" 2>/dev/null
  fail "no $1 window (see $out/failed-$1.png, $work/km27.log)"
}
# click <window id> <x> <y>: a click at a designed place of the window.
click() {
  local x y
  eval "$(xdotool getwindowgeometry --shell "$1")"
  x=$((X + $(scale "$2"))) y=$((Y + $(scale "$3")))
  xdotool mousemove "$x" "$y" click 1
  xdotool mousemove 1270 1010
}
# shot <name> <window id>: the window alone as $out/<name>.png.
shot() {
  sleep 0.6  # the last paint after a page switch or a text change
  # Full colour: a palette bands GTK's gradients.
  import -window "$2" "$out/$1.png" || fail "no screenshot $1"
  echo "$out/$1.png"
}

# ---- the first start: the setup wizard ----
# Its pages lie at (8, 56) of the window; its buttons along the bottom.
start_km27
wizard=$(window TfrmWizard) || exit 1
sleep 1
shot wizard-1 "$wizard"
click "$wizard" 114 194  # Connect Test
sleep 6                  # every listed port is tried; COM37 answers
shot wizard-1-found "$wizard"
click "$wizard" 360 354  # Next
sleep 1
sim swipe 0:4900123456789 0:1234567890
sleep 2
shot wizard-2 "$wizard"
click "$wizard" 360 354  # Next
sleep 1
click "$wizard" 60 99    # Manual Start Mode
sleep 0.5
shot wizard-3 "$wizard"
click "$wizard" 360 354  # Complete
sleep 1
xdotool key Return       # "Save setup data?": OK
sleep 2
main=$(window TfrmMain) || exit 1
shot main "$main"
stop_km27

# ---- the options dialog, with the settings the wizard stored ----
[ -f "$work/KM27.ini" ] || fail "the wizard stored no settings"
start_km27
main=$(window TfrmMain) || exit 1
click "$main" 111 95  # Show Option
option=$(window TfrmOption) || exit 1
# The tool bar's buttons in the order shown: the target window page's button
# shows only in probe mode.
names=([1]=general [2]=communication [3]=keyboard [4]=about)
for page in 1 2 3 4; do
  click "$option" $((112 * page - 56)) 29
  shot "option-${names[$page]}" "$option"
done
stop_km27

# ---- the target window page: probe mode ----
sed -i 's/^Release=.*\r$/Release=ProbeMode\r/' "$work/KM27.ini"
start_km27
main=$(window TfrmMain) || exit 1
click "$main" 111 95
option=$(window TfrmOption) || exit 1
click "$option" $((112 * 3 - 56)) 29
shot option-target-window "$option"
stop_km27
echo "screenshots of km27 at $dpi dpi$([ -n "$japanese" ] && echo ", in Japanese") in $out"
