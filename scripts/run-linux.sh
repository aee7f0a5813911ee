#!/usr/bin/env bash
# The Linux half of scripts/run.sh (its header says what a run shows): km27
# from the linux build in a work folder of its own (a portable copy), the
# reader simulator's pseudo-terminal as COM31 of the port folder
# $KM27_SERIAL_DIR names, keys typed through XTEST into km27target_gtk. The
# steps are the Linux end-to-end tests' (tests/e2e/linux/e2e_linux_lib.sh):
# without a display it all runs on an Xvfb display and a session bus of its
# own, and the setup wizard is driven through the accessibility bus (linctl).
# No Wine.
#   scripts/run-linux.sh [first-run]
set -euo pipefail
mode=${1:-}
case "$mode" in
  "" | first-run) ;;
  *) echo "usage: $0 [first-run]"; exit 2 ;;
esac
cd "$(dirname "$0")/.."
root=$PWD
# E2E_SESSION is set when the library has started this script again inside
# its own display and session: installing and building are done by then.
if [ -z "${E2E_SESSION:-}" ]; then
  if [ -z "${KM27_SKIP_BUILD:-}" ]; then
    ./scripts/install-deps.sh
    ./scripts/build.sh linux
  fi
  if [ -n "${DISPLAY:-}" ] && [ -z "${KM27_HEADLESS:-}" ]; then
    # A real display is there: the programs show on it, in the user's session.
    export KM27_RUN_ON_DISPLAY=1 E2E_SESSION=1
  fi
fi
interactive=${KM27_RUN_ON_DISPLAY:-}
export KM27_BUILD_DIR=$root/build/linux KM27_SOURCE_DIR=$root
for f in km27 km27target_gtk; do
  [ -x "$KM27_BUILD_DIR/bin/$f" ] || { echo "$KM27_BUILD_DIR/bin/$f is missing: scripts/build.sh linux"; exit 1; }
done
set +e
source "$root/tests/e2e/linux/e2e_linux_lib.sh"

prompt() {
  while kill -0 "$E2E_KM27" 2>/dev/null && IFS= read -r -p "km27sim> " line; do
    [ -n "$line" ] && sim $line
  done
}

W="Initial Setup Wizard"
expected='Ha4900123456789./b3456\n'
if [ "$mode" = first-run ]; then
  e2e_new_installation
  # A new installation. The default copy gets the two lines a pseudo-terminal
  # needs (no parity, no modem-line check); a real reader takes the factory's.
  e2e_test_default_copy "$E2E_WORK/KM27.ni"
  e2e_reader 31
  echo "Reader simulator on COM31; starting km27 in a new folder: the setup wizard appears"
  e2e_start_km27
  if [ -n "$interactive" ]; then
    echo "Go through the wizard: Connect Test finds COM31; on the Read Check page send a test card"
    echo "by typing: swipe 0:4900123456789 0:1234567890   (Ctrl+D ends the run)"
    prompt
    echo "Ending km27 and the simulator"
    exit 0
  fi
  e2e_wizard_complete
  # The wizard's own "VR" is forgotten: the next one is the converter's.
  sim clear >/dev/null
  echo "Wizard completed: COM31 found, tracks 1 and 2 taken from the test swipe, Auto Start Mode"
  # One block per track, typed whole, nothing between or after them.
  expected='49001234567891234567890'
else
  # Wizard completed, auto start, no parity and no modem-line check (a
  # pseudo-terminal has neither), and the key-data format of the user
  # guide's second example: H a<track 1>. / b<track 2, characters 3 to 6> Enter.
  e2e_settings 31 101
  e2e_reader 31
  echo "Reader simulator on COM31; starting km27 (auto start, key-data format H a<track 1>. / b<track 2, 3..6> Enter)"
  e2e_start_km27
fi
e2e_wait_converting
echo "km27 is converting and sits in the tray; starting the target window"
e2e_start_target

echo "Swiping a card: track 1 \"4900123456789\", track 2 \"1234567890\""
sim swipe 0:4900123456789 0:1234567890 >/dev/null
status=0
if e2e_expect_text "$expected" 10 >/dev/null; then
  echo "The target window received:"
else
  echo "The target window did not receive the expected keystrokes; it holds:"
  status=1
fi
od -c "$E2E_TARGET_OUT" | sed 's/^/  /'

if [ -n "$interactive" ]; then
  echo
  echo "Type simulator commands (e.g. swipe 0:ABC 0:123456, or help); Ctrl+D ends the run."
  prompt
fi
echo "Ending km27, the target window and the simulator"
exit $status
