#!/usr/bin/env bash
# The Linux half of scripts/run.sh (its header says what a run shows): km27
# from the linux build, in a folder of its own that it can write to (so its
# settings stay beside it, as in a portable installation), with the reader
# simulator's pseudo-terminal as COM31 of a port folder of its own
# (KM27_SERIAL_DIR) and the target window tools/target/km27target. No Wine.
#   scripts/run-linux.sh [first-run]
set -euo pipefail
mode=${1:-}
case "$mode" in
  "" | first-run) ;;
  *) echo "usage: $0 [first-run]"; exit 2 ;;
esac
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/linux
if [ -z "${KM27_SKIP_BUILD:-}" ]; then
  ./scripts/install-deps.sh
  ./scripts/build.sh linux
fi
km27_bin=$build/bin/km27 sim_bin=$build/tools/sim/km27sim target_bin=$build/tools/target/km27target
for f in "$km27_bin" "$sim_bin" "$target_bin"; do
  [ -x "$f" ] || { echo "$f is missing: build the linux preset (scripts/build.sh linux)"; exit 1; }
done

# What a failed run leaves to look at (screen, simulator log, program output).
state=$root/build/run-linux
mkdir -p "$state"
work=$(mktemp -d) aux=$(mktemp -d)
ports=$aux/ports
mkdir "$ports"
pids=()
km27_pid=""
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[$i]}" 2>/dev/null || true; done
  cp "$aux"/*.log "$aux"/*.out "$state/" 2>/dev/null || true
  rm -rf "$work" "$aux"
}
trap cleanup EXIT

interactive=""
if [ -n "${DISPLAY:-}" ] && [ -z "${KM27_HEADLESS:-}" ]; then
  interactive=1
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$aux/display" >"$aux/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do grep -q . "$aux/display" && break; sleep 0.1; done
  grep -q . "$aux/display" || { echo "Xvfb did not start: $(cat "$aux/xvfb.log")"; exit 1; }
  export DISPLAY=":$(head -1 "$aux/display")"
  # A session of its own: no session bus (the tray and the notifications
  # find none, rather than starting one that would outlive the run), and a
  # run-time folder of its own, where km27 keeps its one-copy lock, so a
  # km27 running on this machine's desktop does not count as this one.
  mkdir -m 0700 "$aux/runtime"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$aux/no-bus" XDG_RUNTIME_DIR="$aux/runtime"
fi
export GDK_BACKEND=x11 NO_AT_BRIDGE=1

shot() { import -display "$DISPLAY" -window root "$state/$1.png" 2>/dev/null && echo "  (picture: build/run-linux/$1.png)"; }
fail() {
  echo "FAIL: $*"
  shot failure
  exit 1
}

# The reader on COM31.
"$sim_bin" --link "$ports/COM31" --ready-file "$aux/sim.ready" --control-tcp 0 --no-stdin \
  --log "$aux/sim.log" >"$aux/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do grep -q '^tcp ' "$aux/sim.ready" 2>/dev/null && break; sleep 0.05; done
sim_tcp=$(awk '/^tcp /{ print $2 }' "$aux/sim.ready" 2>/dev/null)
[ -n "$sim_tcp" ] || fail "the reader simulator did not start: $(cat "$aux/sim.out")"
sim() { "$sim_bin" --send-tcp "$sim_tcp" "$@"; }

start_km27() {
  (cd "$work" && KM27_SERIAL_DIR="$ports" exec ./km27) >"$aux/km27.out" 2>&1 &
  km27_pid=$!
  pids+=($km27_pid)
}

prompt() {
  while kill -0 "$km27_pid" 2>/dev/null && IFS= read -r -p "km27sim> " line; do
    [ -n "$line" ] && sim $line
  done
}

cp "$km27_bin" "$build/bin/KM27.ni" "$build/bin/English.rlf" "$build/bin/Japanese.rlf" "$work/"
if [ "$mode" = first-run ]; then
  # A new installation. The default copy gets the two lines a pseudo-terminal
  # needs (no parity, no modem-line check); a real reader takes the factory's.
  sed -i 's/^Parity=1\r$/Parity=0\r/; s/^ConnectionCheck=111\r$/ConnectionCheck=101\r/' "$work/KM27.ni"
  grep -q $'^Parity=0\r$' "$work/KM27.ni" && grep -q $'^ConnectionCheck=101\r$' "$work/KM27.ni" ||
    fail "$build/bin/KM27.ni is not the factory copy this run expects"
  echo "Reader simulator on COM31; starting km27 in a new folder: the setup wizard appears"
  start_km27
  if [ -n "$interactive" ]; then
    echo "Go through the wizard: Connect Test finds COM31; on the Read Check page send a test card"
    echo "by typing: swipe 0:4900123456789 0:1234567890   (Ctrl+D ends the run)"
    prompt
    echo "Ending km27 and the simulator"
    exit 0
  fi
  caption=$(awk -F= '{ sub(/\r$/, "") } /^\[/ { s = $0 } s == "[Form.Caption]" && $1 == "frmWizard" { print $2 }' "$work/English.rlf")
  for _ in $(seq 1 150); do
    xdotool search --onlyvisible --name "^$caption\$" >/dev/null 2>&1 && break
    kill -0 "$km27_pid" 2>/dev/null || fail "km27 ended: $(cat "$aux/km27.out")"
    sleep 0.2
  done
  xdotool search --onlyvisible --name "^$caption\$" >/dev/null 2>&1 || fail "no \"$caption\" window within 30 s"
  [ -f "$work/KM27.ini" ] && echo "km27 made KM27.ini beside itself from the default copy"
  echo "The \"$caption\" window is open:"
  shot first-run-wizard
  echo "Run with a display (and without KM27_HEADLESS) to go through it: ./scripts/run.sh first-run"
  echo "Ending km27 and the simulator"
  exit 0
fi

# Wizard completed, auto start, no parity and no modem-line check (a
# pseudo-terminal has neither), and the key-data format of the guide's
# second example: H a<track 1>. / b<track 2, characters 3 to 6> Enter.
cat >"$work/KM27.ini" <<'EOF'
[General]
Series=KM-27 Series
Interface=SERIAL
Protocol=RDLS3
LanguageFile=English.rlf
Release=Standard
AutoStart=1
SPSetting=SP0FF
WizardStatus=111
ConnectionCheck=101

[Connection]
Port=31
BaudRate=9600
DataBits=8
Parity=0
StopBit=1
FlowControl=0
ReciveBuffTime=80

[Format]
Header=[02]
EndCode=[03]
Footer=
Separator=[1F]
BCCType=1
BCCByte=1
BCCStart=2

[CardData]
Tracks=1100
TrackUse=1100
SingleTrack=0

[KeyData]
Header=H
TrackSeparator=/
Terminator=[ENTER]
BlockNum=2

[BlockData:1]
BlockHeader=a
BlockFooter=.
Track=1
Start=0
Digit=0
AllData=1

[BlockData:2]
BlockHeader=b
BlockFooter=
Track=2
Start=3
Digit=4
AllData=0
EOF
echo "Reader simulator on COM31; starting km27 (auto start, key-data format H a<track 1>. / b<track 2, 3..6> Enter)"
start_km27
sim wait-rx 02 56 52 15000 | grep -q '^OK' || fail "km27 never asked the reader for its version: $(cat "$aux/km27.out")"
echo "km27 is converting and sits in the tray; starting the target window"

target_out=$aux/target.txt
"$target_bin" "$target_out" >"$aux/target.out" 2>&1 &
pids+=($!)
target=""
for _ in $(seq 1 100); do
  target=$(xdotool search --onlyvisible --name '^KM27 Target$' 2>/dev/null | head -1) && [ -n "$target" ] && break
  sleep 0.1
done
[ -n "$target" ] || fail "the target window did not appear"
# Keys go to the window with the input focus. A desktop's window manager
# gives it on request; Xvfb has none, and there the pointer decides where the
# focus falls back to, so it goes over the window too.
if [ -n "$interactive" ]; then
  xdotool windowactivate --sync "$target" 2>/dev/null || xdotool windowfocus --sync "$target" ||
    fail "the target window did not take the focus"
else
  xdotool windowfocus --sync "$target" mousemove --window "$target" 40 40 ||
    fail "the target window did not take the focus"
fi

echo "Swiping a card: track 1 \"4900123456789\", track 2 \"1234567890\""
sim swipe 0:4900123456789 0:1234567890 >/dev/null
want=$(printf 'Ha4900123456789./b3456\n' | od -An -tx1 | tr -d ' \n')
got=""
for _ in $(seq 1 100); do
  got=$(od -An -tx1 <"$target_out" 2>/dev/null | tr -d ' \n')
  [ "$got" = "$want" ] && break
  sleep 0.1
done
if [ "$got" = "$want" ]; then
  echo "The target window received:"
else
  echo "The target window did not receive the expected keystrokes (Ha4900123456789./b3456 and Enter); it holds:"
  shot swipe
fi
od -c "$target_out" | sed 's/^/  /'

if [ -n "$interactive" ]; then
  echo
  echo "Type simulator commands (e.g. swipe 0:ABC 0:123456, or help); Ctrl+D ends the run."
  prompt
fi
echo "Ending km27, the target window and the simulator"
[ "$got" = "$want" ]
