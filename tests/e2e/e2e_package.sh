#!/usr/bin/env bash
# The release package as a user gets it: cpack makes KM27-<version>-win32.zip
# (or -win64.zip) from this build; it holds the program, the default settings copy, the
# language files and the user guide as Windows text, nothing else, and no
# folder. Unpacked into an empty folder the program runs there: its first
# start makes KM27.ini beside it and leads through the setup wizard, and once
# set up it shows its main window with the version the package is named after.
source "$(dirname "$0")/e2e_lib.sh"

version=${KM27_PRODUCT_VERSION:?}
out="$KM27_BUILD_DIR/e2e-package"
zip="$out/${KM27_PACKAGE_NAME:?}.zip"

make_package() {
  rm -rf "$out"
  "${KM27_CPACK:-cpack}" -G ZIP --config "$KM27_BUILD_DIR/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 ||
    { tail -n 30 "$out.log"; e2e_fail "cpack did not make the package"; }
  [ -f "$zip" ] || { ls "$out"; e2e_fail "no $zip"; }
}

unpack_package() {
  local listed
  listed=$(cd "$E2E_WORK" && cmake -E tar tf "$zip" | sort | tr '\n' ' ')
  [ "$listed" = "English.rlf Japanese.rlf KM27.exe KM27.ni UserGuide.txt " ] ||
    e2e_fail "the package holds: $listed"
  (cd "$E2E_WORK" && cmake -E tar xf "$zip") || e2e_fail "the package does not unpack"
  for f in KM27.ni English.rlf Japanese.rlf; do
    cmp -s "$E2E_WORK/$f" "$KM27_SOURCE_DIR/data/$f" || e2e_fail "$f differs from data/$f"
  done
  head -n 1 "$E2E_WORK/UserGuide.txt" | grep -q '^KM-27 Serial to Key Software: User Guide'$'\r''$' ||
    e2e_fail "UserGuide.txt does not begin with the guide's title line"
  ! grep -q $'[^\r]$' "$E2E_WORK/UserGuide.txt" || e2e_fail "UserGuide.txt has lines without CR LF"
}

# The first start in a new folder: KM27.ini is made from KM27.ni and the
# setup wizard leads through finding the reader (the simulator), a test
# swipe and the start mode; then the main window shows, with the version
# line of the program's own version resource, and the program ends on
# request. The default copy gets the two lines this test environment needs
# (e2e_wine_default_copy) after it was compared with data/.
first_start() {
  e2e_wine_default_copy "$E2E_WORK/KM27.ni"
  e2e_start_km27
  e2e_wizard_complete "Manual Start Mode"
  [ -f "$E2E_WORK/KM27.ini" ] || e2e_fail "the first start did not make KM27.ini"
  e2e_wait_main_window 15 || e2e_fail "the main window is not shown after the wizard"
  winctl children TfrmMain 'ORVANE KM-27' | grep -qF "Software Ver $version (QRL5146)" ||
    e2e_fail "no version line with $version"
  e2e_close_main_window
}

# Set up: the next start goes straight to the main window.
started_after_setup() {
  e2e_start_km27
  e2e_wait_main_window 15 || e2e_fail "the main window is not shown"
  winctl visible TfrmWizard '*' && e2e_fail "the wizard shows again after it was completed"
  e2e_close_main_window
}

make_package
unpack_package
e2e_reader 38
first_start
started_after_setup
echo "PASS: $(basename "$zip") holds the five files and runs from the folder it is unpacked into"
