# Shared steps of the Linux end-to-end scripts (sourced). Each script runs on
# an Xvfb display and a session bus of its own, with the accessibility bus
# that linctl reads the windows through; km27 runs from a work folder of its
# own (a portable copy), the reader simulator plays the reader on a
# pseudo-terminal linked as COMn in the folder $KM27_SERIAL_DIR names, and
# km27target_gtk is the window that receives the keystrokes.
#
# Environment (from ctest, or set by scripts/run.sh): KM27_BUILD_DIR (the
# linux preset's build), KM27_SOURCE_DIR.
set -u

# The script starts itself again inside its own display and session bus.
if [ -z "${E2E_SESSION:-}" ]; then
  export E2E_SESSION=1
  exec 3>&1
  display_file=$(mktemp)
  Xvfb -displayfd 4 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 4>"$display_file" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 1 100); do
    [ -s "$display_file" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -1 "$display_file")"
  rm -f "$display_file"
  status=0
  timeout 600 dbus-run-session -- bash "$0" "$@" || status=$?
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  exit $status
fi

export GDK_BACKEND=x11
unset NO_AT_BRIDGE
E2E_BIN="$KM27_BUILD_DIR/bin"
E2E_SIM="$KM27_BUILD_DIR/tools/sim/km27sim"
E2E_CTL="$KM27_SOURCE_DIR/tools/linctl/linctl.py"
E2E_WORK=$(mktemp -d)  # the program's folder
E2E_AUX=$(mktemp -d)   # the test's own files (simulator, program output, target text)
E2E_PIDS=()
E2E_PORT=""
E2E_SIM_TCP=""
export KM27_SERIAL_DIR="$E2E_AUX/ports"
export XDG_RUNTIME_DIR="$E2E_AUX/run" XDG_CONFIG_HOME="$E2E_AUX/config" HOME="$E2E_AUX/home"
mkdir -p "$KM27_SERIAL_DIR" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
E2E_PIDS+=($!)

e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }
# A failed run keeps what it saw: the work folder, the simulator's log of
# every byte on the line, the program's output and a picture of the screen.
e2e_fail() {
  echo "FAIL: $*"
  local keep
  keep="$KM27_BUILD_DIR/failures/$(basename "$0" .sh)-$(date +%Y%m%d-%H%M%S)"
  mkdir -p "$keep"
  cp -r "$E2E_WORK"/. "$E2E_AUX"/*.log "$E2E_AUX"/*.out "$keep/" 2>/dev/null
  import -window root "$keep/screen.png" 2>/dev/null
  echo "kept in $keep"
  exit 1
}

linctl() { /usr/bin/python3 "$E2E_CTL" "$@" 2>/dev/null; }

e2e_cleanup() {
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${E2E_PIDS[$i]}" 2>/dev/null
  done
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    wait "${E2E_PIDS[$i]}" 2>/dev/null
  done
  rm -rf "$E2E_WORK" "$E2E_AUX"
}
trap e2e_cleanup EXIT

source "$KM27_SOURCE_DIR/tests/e2e/e2e_settings.sh"

# e2e_settings <port> <connection check> [plain]: a portable copy in the work
# folder with KM27.ini as e2e_write_settings makes it.
e2e_settings() {
  cp "$E2E_BIN/km27" "$E2E_BIN/KM27.ni" "$E2E_BIN/English.rlf" "$E2E_WORK/"
  e2e_write_settings "$E2E_WORK/KM27.ini" "$@"
}

# e2e_new_installation: the work folder as a user unpacks a portable copy:
# km27, KM27.ni and the language files, no KM27.ini.
e2e_new_installation() {
  cp "$E2E_BIN/km27" "$E2E_BIN/KM27.ni" "$E2E_BIN/English.rlf" "$E2E_BIN/Japanese.rlf" "$E2E_WORK/"
}

# e2e_test_default_copy <KM27.ni>: the factory copy with the two lines a
# pseudo-terminal cannot take: it refuses even parity and has no modem lines.
e2e_test_default_copy() {
  sed -i 's/^Parity=1\r$/Parity=0\r/; s/^ConnectionCheck=111\r$/ConnectionCheck=101\r/' "$1"
  grep -q $'^Parity=0\r$' "$1" && grep -q $'^ConnectionCheck=101\r$' "$1" ||
    e2e_fail "$1 is not the factory copy this test expects"
}

# e2e_reader <port>: the simulator on COM<port>.
e2e_reader() {
  E2E_PORT=$1
  local ready="$E2E_AUX/sim.ready"
  "$E2E_SIM" --link "$KM27_SERIAL_DIR/COM$1" --ready-file "$ready" --control-tcp 0 --no-stdin \
    --log "$E2E_AUX/sim.log" >"$E2E_AUX/sim.out" 2>&1 &
  E2E_PIDS+=($!)
  for _ in $(seq 1 100); do
    [ -s "$ready" ] && grep -q '^tcp ' "$ready" && break
    sleep 0.05
  done
  E2E_SIM_TCP=$(awk '/^tcp /{print $2}' "$ready")
  [ -n "$E2E_SIM_TCP" ] || e2e_fail "the reader simulator did not start ($(cat "$E2E_AUX/sim.out"))"
}

sim() { "$E2E_SIM" --send-tcp "$E2E_SIM_TCP" "$@"; }

e2e_start_km27() {
  (cd "$E2E_WORK" && exec ./km27) >"$E2E_AUX/km27.out" 2>&1 &
  E2E_KM27=$!
  E2E_PIDS+=($E2E_KM27)
}

e2e_wait_ended() {
  for _ in $(seq 1 $(($1 * 10))); do
    kill -0 "$E2E_KM27" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# e2e_window_wait <title> <seconds>
e2e_window_wait() {
  for _ in $(seq 1 $(($2 * 4))); do
    linctl visible "$1" && return 0
    sleep 0.25
  done
  return 1
}

# e2e_expect <title> <text> <seconds>: waits until a control of the window
# shows that text (a line of it).
e2e_expect() {
  for _ in $(seq 1 $(($3 * 4))); do
    local texts
    texts=$(linctl texts "$1" | cut -f2 | sed 's/\\n/\n/g')
    grep -qxF "$2" <<<"$texts" && return 0
    sleep 0.25
  done
  e2e_fail "\"$2\" never showed in \"$1\"; it shows: $(linctl texts "$1" | cut -f2 | tr '\n' '|')"
}

# e2e_button <title> <caption> <seconds>: waits until that button is enabled.
e2e_button() {
  for _ in $(seq 1 $(($3 * 4))); do
    # Read whole first: grep -q stops early, which pipefail would take for a failure.
    local texts
    texts=$(linctl texts "$1")
    grep -q "^push button"$'\t'"$2"$'\t'"enabled" <<<"$texts" && return 0
    sleep 0.25
  done
  return 1
}

# e2e_answer <text> <button>: the message box that shows text, answered.
e2e_answer() {
  local out
  out=$(linctl box 15000) || e2e_fail "no message box \"$1\""
  echo "$out" | grep -qF "$1" || e2e_fail "expected the box \"$1\", got: $out"
  linctl answer "$2" 5000 || e2e_fail "the box \"$1\" has no button $2"
}

# e2e_wizard_complete: through the setup wizard that a first start shows:
# "Connect Test" finds the simulator, a test swipe of two tracks, "Auto Start
# Mode", Complete, "Save setup data".
e2e_wizard_complete() {
  local W="Initial Setup Wizard"
  e2e_window_wait "$W" 20 || e2e_fail "the setup wizard did not appear"
  linctl click "$W" "Connect Test" || e2e_fail "no Connect Test button"
  e2e_expect "$W" "Test result : OK (COM$E2E_PORT)" 30
  e2e_button "$W" Next 10 || e2e_fail "Next stays off after the reader was found"
  linctl click "$W" Next
  e2e_expect "$W" "Swipe a card through the reader." 10
  sim swipe 0:4900123456789 0:1234567890 >/dev/null
  e2e_expect "$W" "The card was read." 10
  e2e_button "$W" Next 10 || e2e_fail "Next stays off after the test swipe"
  linctl click "$W" Next
  linctl click "$W" "Auto Start Mode" || e2e_fail "no \"Auto Start Mode\" choice"
  e2e_button "$W" Complete 10 || e2e_fail "Complete stays off after the start mode was chosen"
  linctl click "$W" Complete
  e2e_answer "Save setup data" OK
}

e2e_wait_converting() {
  sim wait-rx 02 56 52 15000 | grep -q '^OK' || e2e_fail "km27 never asked the reader for its version"
}

# Starts the target window and gives it the keyboard focus.
e2e_start_target() {
  # One target at a time, each with a file of its own: keys meant for the new
  # one must not be taken for what an earlier one shows.
  if [ -n "${E2E_TARGET_PID:-}" ]; then
    kill "$E2E_TARGET_PID" 2>/dev/null
    wait "$E2E_TARGET_PID" 2>/dev/null
  fi
  E2E_TARGETS=$((${E2E_TARGETS:-0} + 1))
  E2E_TARGET_OUT="$E2E_AUX/target-$E2E_TARGETS.txt"
  "$E2E_BIN/km27target_gtk" "$E2E_TARGET_OUT" >/dev/null 2>&1 &
  local pid=$!
  E2E_TARGET_PID=$pid
  E2E_PIDS+=($pid)
  local id=""
  for _ in $(seq 1 100); do
    # This one, not a target window an earlier step left.
    id=$(xdotool search --onlyvisible --pid "$pid" --name '^KM27 Target$' 2>/dev/null | head -1)
    [ -n "$id" ] && [ -f "$E2E_TARGET_OUT" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || e2e_fail "the target window did not appear"
  # Without a window manager nothing moves the focus: the test gives it.
  xdotool windowfocus --sync "$id" 2>/dev/null || e2e_fail "the target window did not take the focus"
}

# e2e_expect_text <expected> <timeout s>: waits until the target's text is
# exactly the expected bytes (printf format; Enter arrives as "\n").
e2e_expect_text() {
  local want got
  want=$(printf "$1" | od -An -tx1 | tr -d ' \n')
  for _ in $(seq 1 $(($2 * 10))); do
    got=$(od -An -tx1 <"$E2E_TARGET_OUT" 2>/dev/null | tr -d ' \n')
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  echo "expected: $(printf "$1" | od -c | head -5)"
  echo "received: $(od -c <"$E2E_TARGET_OUT" | head -5)"
  return 1
}
