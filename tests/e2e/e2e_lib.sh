# Shared steps of the end-to-end scripts (sourced). KM27.exe runs from a work
# folder of its own with a prepared KM27.ini, the reader simulator plays the
# reader on a Wine COM port, and km27target.exe is the window that receives
# the keystrokes.
#
# Environment (from ctest, or set by scripts/run.sh): KM27_WINE_RUN,
# KM27_WINE_DIR, KM27_BUILD_DIR, KM27_NATIVE_BUILD_DIR.
set -u

E2E_RUN="$KM27_WINE_RUN $KM27_WINE_DIR"
E2E_BIN="$KM27_BUILD_DIR/bin"
E2E_SIM="$KM27_NATIVE_BUILD_DIR/tools/sim/km27sim"
export WINEPREFIX="$KM27_WINE_DIR/prefix"
E2E_WORK=$(mktemp -d)  # the program's folder
E2E_AUX=$(mktemp -d)   # the test's own files (simulator, program output, target text)
E2E_PIDS=()
E2E_PORT=""
E2E_SIM_TCP=""

e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }
# A failed run keeps what it saw: the work folder (settings, simulator log of
# every byte on the line, typed text) and a picture of the screen go to
# build/windows/failures.
e2e_fail() {
  echo "FAIL: $*"
  local keep
  keep="$KM27_BUILD_DIR/failures/$(basename "$0" .sh)-$(date +%Y%m%d-%H%M%S)"
  mkdir -p "$keep"
  cp -r "$E2E_WORK"/. "$keep/" 2>/dev/null
  [ -f "$KM27_WINE_DIR/display" ] &&
    import -display ":$(cat "$KM27_WINE_DIR/display")" -window root "$keep/screen.png" 2>/dev/null
  echo "kept in $keep"
  exit 1
}

winctl() { $E2E_RUN "$E2E_BIN/winctl.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Ends what this script started, newest first, each by its own process id.
e2e_cleanup() {
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${E2E_PIDS[$i]}" 2>/dev/null
  done
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    wait "${E2E_PIDS[$i]}" 2>/dev/null
  done
  if [ -n "$E2E_PORT" ]; then
    rm -f "$WINEPREFIX/dosdevices/com$E2E_PORT"
    $E2E_RUN reg delete 'HKLM\Hardware\DeviceMap\SerialComm' /v "KM27Sim$E2E_PORT" /f >/dev/null 2>&1
  fi
  rm -rf "$E2E_WORK" "$E2E_AUX"
}
trap e2e_cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/e2e_settings.sh"

# e2e_settings <port> <connection check> [plain]: the program in the work
# folder with KM27.ini as e2e_write_settings makes it.
e2e_settings() {
  cp "$E2E_BIN/KM27.exe" "$E2E_BIN/KM27.ni" "$E2E_BIN/English.rlf" "$E2E_WORK/"
  e2e_write_settings "$E2E_WORK/KM27.ini" "$@"
}

# e2e_new_installation: the work folder as a user unpacks the program: KM27.exe,
# KM27.ni and the language files, no KM27.ini.
e2e_new_installation() {
  cp "$E2E_BIN/KM27.exe" "$E2E_BIN/KM27.ni" "$E2E_BIN/English.rlf" "$E2E_BIN/Japanese.rlf" "$E2E_WORK/"
}

# e2e_wine_default_copy <KM27.ni>: the factory default copy with the two lines
# this test environment cannot take (not the program's defaults): Linux
# pseudo-terminals refuse even parity (Parity=1), so Wine cannot open the
# simulator's port with it, and they have no modem lines, so the modem-line
# check is switched off (ConnectionCheck=101).
e2e_wine_default_copy() {
  sed -i 's/^Parity=1\r$/Parity=0\r/; s/^ConnectionCheck=111\r$/ConnectionCheck=101\r/' "$1"
  grep -q $'^Parity=0\r$' "$1" && grep -q $'^ConnectionCheck=101\r$' "$1" ||
    e2e_fail "$1 is not the factory copy this test expects"
}

# e2e_answer_box <text>: answers the message box that shows text with OK. A
# box that is still being made may miss the first press: it is pressed again
# while it shows.
e2e_answer_box() {
  local out
  out=$(winctl box '*' 15000) || { e2e_shot box-missing; e2e_fail "no message box \"$1\" (screens/box-missing.png)"; }
  echo "$out" | grep -qF "$1" || e2e_fail "expected the box \"$1\", got: $out"
  for _ in $(seq 1 40); do
    winctl boxok '*'
    sleep 0.3
    out=$(winctl box '*' 300) || return 0
    echo "$out" | grep -qF "$1" || return 0
  done
  e2e_fail "the box \"$1\" stayed"
}

# e2e_shot <name>: a screenshot of the test display in $KM27_BUILD_DIR/screens.
e2e_shot() {
  local shots="$KM27_BUILD_DIR/screens"
  mkdir -p "$shots"
  import -display ":$(cat "$KM27_WINE_DIR/display")" -window root "$shots/$1.png" || e2e_fail "no screenshot $1"
}

# ---- the setup wizard ----

# The texts of the wizard's controls, one per line (a text with line breaks
# goes on over several lines).
e2e_wizard_texts() { winctl children TfrmWizard '*' | cut -f2; }

# e2e_wizard_wait <seconds>: waits until the setup wizard shows.
e2e_wizard_wait() {
  for _ in $(seq 1 $(($1 * 10))); do
    winctl visible TfrmWizard '*' && return 0
    sleep 0.1
  done
  return 1
}

# e2e_wizard_button <caption> <seconds>: waits until the wizard's button with
# that caption is enabled.
e2e_wizard_button() {
  for _ in $(seq 1 $(($2 * 10))); do
    winctl children TfrmWizard '*' | grep -q "^Button"$'\t'"$1"$'\t'"enabled" && return 0
    sleep 0.1
  done
  return 1
}

# e2e_wizard_expect <text> <seconds>: waits until one of the wizard's texts
# holds text.
e2e_wizard_expect() {
  for _ in $(seq 1 $(($2 * 10))); do
    e2e_wizard_texts | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  e2e_fail "the wizard never showed \"$1\"; it shows: $(e2e_wizard_texts | grep . | tr '\n' '|')"
}

# e2e_wizard_complete <start mode> [shot prefix]: goes through the wizard as a
# first-time user does, with the reader simulator on E2E_PORT: "Connect Test",
# Next, a test swipe, Next, the start mode ("Auto Start Mode" or "Manual Start
# Mode"), Complete, and OK to "Save setup data". With a prefix, each page is
# photographed (<prefix>-1.png ...).
e2e_wizard_complete() {
  local mode=$1 prefix=${2:-}
  e2e_wizard_wait 15 || e2e_fail "the setup wizard did not appear"
  sleep 0.5
  [ -n "$prefix" ] && e2e_shot "$prefix-1"
  winctl click TfrmWizard '*' 'Connect Test' || e2e_fail "no Connect Test button"
  e2e_wizard_expect "Test result : OK (COM$E2E_PORT)" 30
  e2e_wizard_button Next 10 || e2e_fail "Next stays off after the reader was found"
  [ -n "$prefix" ] && e2e_shot "$prefix-1-found"
  winctl click TfrmWizard '*' 'Next'
  e2e_wizard_expect "Swipe a card through the reader." 10
  sim swipe 0:4900123456789 0:1234567890 >/dev/null
  e2e_wizard_expect "The card was read." 10
  e2e_wizard_button Next 10 || e2e_fail "Next stays off after the test swipe"
  [ -n "$prefix" ] && e2e_shot "$prefix-2"
  winctl click TfrmWizard '*' 'Next'
  e2e_wizard_expect "$mode" 10
  winctl click TfrmWizard '*' "$mode" || e2e_fail "no \"$mode\" choice"
  e2e_wizard_button Complete 10 || e2e_fail "Complete stays off after the start mode was chosen"
  [ -n "$prefix" ] && e2e_shot "$prefix-3"
  winctl click TfrmWizard '*' 'Complete'
  e2e_answer_box 'Save setup data'
  for _ in $(seq 1 50); do
    winctl visible TfrmWizard '*' || return 0
    sleep 0.1
  done
  e2e_fail "the wizard stayed after Complete"
}

# e2e_reader <port>: the simulator on COM<port> (a pty linked from the
# prefix's dosdevices) and the port listed in the serial device map.
e2e_reader() {
  E2E_PORT=$1
  local ready="$E2E_AUX/sim.ready"
  "$E2E_SIM" --link "$WINEPREFIX/dosdevices/com$1" --ready-file "$ready" --control-tcp 0 --no-stdin \
    --log "$E2E_AUX/sim.log" >"$E2E_AUX/sim.out" 2>&1 &
  E2E_PIDS+=($!)
  for _ in $(seq 1 100); do
    [ -s "$ready" ] && grep -q '^tcp ' "$ready" && break
    sleep 0.05
  done
  E2E_SIM_TCP=$(awk '/^tcp /{print $2}' "$ready")
  [ -n "$E2E_SIM_TCP" ] || e2e_fail "the reader simulator did not start ($(cat "$E2E_AUX/sim.out"))"
  $E2E_RUN reg add 'HKLM\Hardware\DeviceMap\SerialComm' /v "KM27Sim$1" /t REG_SZ /d "COM$1" /f >/dev/null 2>&1 ||
    e2e_fail "could not list COM$1 in the serial device map"
}

# Sends one control command to the simulator; prints its reply.
sim() { "$E2E_SIM" --send-tcp "$E2E_SIM_TCP" "$@"; }

# Starts KM27.exe from the work folder.
e2e_start_km27() {
  (cd "$E2E_WORK" && exec $E2E_RUN "$E2E_WORK/KM27.exe") >"$E2E_AUX/km27.out" 2>&1 &
  E2E_KM27=$!
  E2E_PIDS+=($E2E_KM27)
}

# e2e_wait_main_window <seconds>: waits until KM27.exe shows its main window.
e2e_wait_main_window() {
  for _ in $(seq 1 $(($1 * 10))); do
    winctl visible TfrmMain 'ORVANE KM-27' && return 0
    sleep 0.1
  done
  return 1
}

# e2e_wait_ended <seconds>: waits until the KM27.exe started last has ended.
e2e_wait_ended() {
  for _ in $(seq 1 $(($1 * 10))); do
    kill -0 "$E2E_KM27" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# e2e_close_main_window: closes the main window as a user would, answers OK
# to the question before ending and waits until KM27.exe has ended.
e2e_close_main_window() {
  local box
  winctl close TfrmMain 'ORVANE KM-27'
  box=$(winctl box '*' 10000) || e2e_fail "no question before ending"
  echo "$box" | grep -q 'Finish KM-27?' || e2e_fail "unexpected question: $box"
  winctl boxok '*'
  e2e_wait_ended 10 || e2e_fail "KM27.exe still running after OK"
}

# Waits until the converter runs: the start-up check's "VR" reaches the reader.
e2e_wait_converting() {
  sim wait-rx 02 56 52 15000 | grep -q '^OK' || e2e_fail "KM27.exe never asked the reader for its version"
}

# Starts the target window, which takes the focus.
e2e_start_target() {
  E2E_TARGET_OUT="$E2E_AUX/target.txt"
  $E2E_RUN "$E2E_BIN/km27target.exe" "$(winepath_of "$E2E_TARGET_OUT")" >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  winctl wait KM27Target '*' 15000 || e2e_fail "the target window did not appear"
  for _ in $(seq 1 100); do
    [ -f "$E2E_TARGET_OUT" ] && break
    sleep 0.05
  done
  # Keys go to the foreground window. On a loaded machine Wine may take a
  # while to bring the new window to the front: wait for it by the clock, and
  # after 5 s bring it there.
  local deadline=$((SECONDS + 10)) pushed=""
  until [ "$(winctl foreground | cut -f1)" = KM27Target ]; do
    [ $SECONDS -ge $deadline ] && e2e_fail "the target window is not in front: $(winctl foreground)"
    if [ -z "$pushed" ] && [ $SECONDS -ge $((deadline - 5)) ]; then
      winctl front KM27Target '*'
      pushed=1
    fi
    sleep 0.2
  done
  sleep 0.5
}

# Windows path of a file of this machine (Z: is the root of the file system).
winepath_of() { echo "Z:$1" | tr '/' '\\'; }

# e2e_expect_text <expected> <timeout s>: waits until the target's text is exactly
# the expected bytes (printf format, e.g. "a\r\n").
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

# Shows the options dialog from the main window's "Show Option" button.
e2e_show_option() {
  winctl click TfrmMain '*' 'Show Option' || e2e_fail "no Show Option button"
  for _ in $(seq 1 100); do
    winctl visible TfrmOption '*' && return 0
    sleep 0.1
  done
  e2e_fail "Show Option did not show the options dialog"
}

# Closes the options dialog with OK: the settings file is saved and says so.
e2e_ok_option() {
  winctl click TfrmOption '*' 'OK' || e2e_fail "no OK button"
  e2e_answer_box 'Save setup data'
  for _ in $(seq 1 50); do
    winctl visible TfrmOption '*' || return 0
    sleep 0.1
  done
  e2e_fail "OK did not close the options dialog"
}
