#!/usr/bin/env bash
# Installs what is missing, builds, and shows the program doing its job: the
# reader simulator plays the card reader, the program starts with auto start
# and sits in the tray, a target window takes the focus, and a demonstration
# swipe is typed into it.
#
#   scripts/run.sh [windows] [first-run]
#
# Without "windows" it is the Linux program km27 (scripts/run-linux.sh: the
# simulator's pseudo-terminal is COM31 of a port folder of its own, keys are
# typed through XTEST; Wine is not started); with "windows" it is KM27.exe
# under Wine: the 32-bit build where this host runs 32-bit programs, the
# 64-bit one where it does not (scripts/host32.sh; KM27_HOST32=0 picks the
# 64-bit one), the simulator on COM31 of the Wine prefix.
#
#   scripts/run.sh            with $DISPLAY: the windows appear on your screen;
#                             afterwards type simulator commands (for example
#                             "swipe 0:4900123456789 0:1234567890") and watch
#                             them arrive; Ctrl+D or closing KM27 ends the run.
#                             Without $DISPLAY: runs under Xvfb, prints what the
#                             target window received and ends.
#   scripts/run.sh first-run  the same from a new folder (the program, KM27.ni and
#                             the language files only): the setup wizard appears
#                             first. With a display you go through it yourself
#                             (type "swipe ..." at the prompt for the test card);
#                             under Xvfb the script goes through it, choosing
#                             "Auto Start Mode" (Linux: through the accessibility
#                             bus, tools/linctl).
#   KM27_HEADLESS=1 scripts/run.sh   Xvfb even when a display is there.
#   KM27_SKIP_BUILD=1 scripts/run.sh skip installing and building.
set -euo pipefail
mode="" platform=linux
for arg in "$@"; do
  case "$arg" in
    windows) platform=windows ;;
    first-run) mode=first-run ;;
    *) echo "usage: $0 [windows] [first-run]"; exit 2 ;;
  esac
done
if [ "$platform" = linux ]; then
  exec "$(dirname "$0")/run-linux.sh" $mode
fi
cd "$(dirname "$0")/.."
root=$PWD
source scripts/wine-build.sh
km27_wine_build_line
preset=$km27_preset arch=$km27_wine_arch
if [ -z "${KM27_SKIP_BUILD:-}" ]; then
  ./scripts/install-deps.sh
  ./scripts/build.sh "$preset"
fi
state=$root/build/run-$arch
mkdir -p "$state"
./cmake/wine-fixture.sh start "$state" "$arch" >/dev/null
interactive=""
if [ -n "${DISPLAY:-}" ] && [ -z "${KM27_HEADLESS:-}" ]; then
  # A real display is there: show the programs on it.
  echo "$DISPLAY" | tr -d ':' >"$state/display"
  interactive=1
fi

export KM27_WINE_RUN=$root/cmake/wine-run.sh KM27_WINE_DIR=$state
export KM27_BUILD_DIR=$root/build/$preset KM27_NATIVE_BUILD_DIR=$root/build/native
set +e
source "$root/tests/e2e/e2e_lib.sh"
trap 'e2e_cleanup; "$root/cmake/wine-fixture.sh" stop "$state" >/dev/null' EXIT

prompt() {
  while kill -0 "$E2E_KM27" 2>/dev/null && IFS= read -r -p "km27sim> " line; do
    [ -n "$line" ] && sim $line
  done
}

expected='Ha4900123456789./b3456\r\n'
if [ "$mode" = first-run ]; then
  # A new installation. The default copy gets the two lines a pseudo-terminal
  # needs (no parity, no modem-line check); a real reader takes the factory's.
  e2e_new_installation
  e2e_wine_default_copy "$E2E_WORK/KM27.ni"
  e2e_reader 31
  echo "Reader simulator on COM31; starting KM27.exe in a new folder: the setup wizard appears"
  e2e_start_km27
  if [ -n "$interactive" ]; then
    echo "Go through the wizard: Connect Test finds COM31; on the Read Check page send a test card"
    echo "by typing: swipe 0:4900123456789 0:1234567890   (Ctrl+D ends the run)"
    prompt
    echo "Ending KM27.exe and the simulator"
    exit 0
  fi
  e2e_wizard_complete "Auto Start Mode"
  # The wizard's own "VR" is forgotten: the next one is the converter's.
  sim clear >/dev/null
  echo "Wizard completed: COM31 found, tracks 1 and 2 taken from the test swipe, Auto Start Mode"
  # One block per track, typed whole, nothing between or after them.
  expected='49001234567891234567890'
else
  # The simulator's pseudo-terminal has no modem lines: the line check stays off.
  e2e_settings 31 101
  e2e_reader 31
  echo "Reader simulator on COM31; starting KM27.exe (auto start, key-data format H a<track 1>. / b<track 2, 3..6> Enter)"
  e2e_start_km27
fi
e2e_wait_converting
echo "KM27.exe is converting and sits in the tray; starting the target window"
e2e_start_target

echo "Swiping a card: track 1 \"4900123456789\", track 2 \"1234567890\""
sim swipe 0:4900123456789 0:1234567890 >/dev/null
if e2e_expect_text "$expected" 10 >/dev/null; then
  echo "The target window received:"
else
  echo "The target window did not receive the expected keystrokes; it holds:"
fi
od -c "$E2E_TARGET_OUT" | sed 's/^/  /'

if [ -n "$interactive" ]; then
  echo
  echo "Type simulator commands (e.g. swipe 0:ABC 0:123456, or help); Ctrl+D ends the run."
  prompt
fi
echo "Ending KM27.exe, the target window and the simulator"
