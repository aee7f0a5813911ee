#!/usr/bin/env bash
# The first run of a new installation: a folder holding only KM27.exe,
# KM27.ni and the language files, the reader simulator on one of several
# listed COM ports (the others have no device).
#  1. Cancelling the first-run wizard ends the program; the settings file is
#     still the default copy, nothing of the wizard saved.
#  2. Again from a new folder: the wizard appears, "Connect Test" finds the
#     simulator, a test swipe fills the list, "Auto Start Mode", Complete,
#     "Save setup data"; the converter then starts on its own and a swipe is
#     typed into a target window with the tracks the test swipe delivered.
# Screenshots of the three pages go to $KM27_BUILD_DIR/screens/wizard-*.png.
#
# KM27.ni is the factory copy with two lines changed for this test
# environment (e2e_wine_default_copy): Linux pseudo-terminals refuse the
# factory's even parity and have no modem lines.
source "$(dirname "$0")/e2e_lib.sh"

fake_ports=(53 54)
first_run_cleanup() {
  local p
  for p in "${fake_ports[@]}"; do
    $E2E_RUN reg delete 'HKLM\Hardware\DeviceMap\SerialComm' /v "KM27Fake$p" /f >/dev/null 2>&1
  done
  e2e_cleanup
}
trap first_run_cleanup EXIT

ini_value() { tr -d '\r' <"$E2E_WORK/KM27.ini" | sed -n "/^\[$1\]/,/^\[/s/^$2=//p" | head -1; }

# COM53, the simulator on COM37, COM54: the search passes a port without a
# device on the way.
$E2E_RUN reg add 'HKLM\Hardware\DeviceMap\SerialComm' /v KM27Fake53 /t REG_SZ /d COM53 /f >/dev/null 2>&1
e2e_reader 37
$E2E_RUN reg add 'HKLM\Hardware\DeviceMap\SerialComm' /v KM27Fake54 /t REG_SZ /d COM54 /f >/dev/null 2>&1

# ---- 1. cancelled ----
e2e_new_installation
e2e_wine_default_copy "$E2E_WORK/KM27.ni"
[ "$(ls "$E2E_WORK" | sort | tr '\n' ' ')" = "English.rlf Japanese.rlf KM27.exe KM27.ni " ] ||
  e2e_fail "the new folder holds: $(ls "$E2E_WORK")"
e2e_start_km27
e2e_wizard_wait 15 || e2e_fail "the setup wizard did not appear on the first start"
winctl text TfrmWizard '*' | grep -qx 'Initial Setup Wizard' || e2e_fail "wizard title: $(winctl text TfrmWizard '*')"
e2e_wizard_expect "Find the card reader  1/3" 5
winctl click TfrmWizard '*' 'Cancel' || e2e_fail "no Cancel button"
e2e_answer_box 'The initial setup is not complete'
e2e_wait_ended 15 || e2e_fail "cancelling the first-run wizard did not end KM27.exe"
cmp -s "$E2E_WORK/KM27.ini" "$E2E_WORK/KM27.ni" || e2e_fail "the cancelled wizard changed KM27.ini"
winctl visible TfrmMain '*' && e2e_fail "a main window is left"
e2e_log "cancelled first run: KM27.exe ended, KM27.ini is the default copy"

# ---- 2. completed ----
rm -f "$E2E_WORK/KM27.ini"
sim clear >/dev/null
e2e_start_km27
e2e_wizard_complete "Auto Start Mode" wizard
e2e_log "wizard completed on COM37"
[ "$(ini_value General WizardStatus)" = 111 ] || e2e_fail "KM27.ini: WizardStatus=$(ini_value General WizardStatus)"
[ "$(ini_value General AutoStart)" = 1 ] || e2e_fail "KM27.ini: AutoStart=$(ini_value General AutoStart)"
[ "$(ini_value Connection Port)" = 37 ] || e2e_fail "KM27.ini: Port=$(ini_value Connection Port)"
[ "$(ini_value CardData TrackUse)" = 1100 ] || e2e_fail "KM27.ini: TrackUse=$(ini_value CardData TrackUse)"
[ "$(ini_value KeyData BlockNum)" = 2 ] || e2e_fail "KM27.ini: BlockNum=$(ini_value KeyData BlockNum)"
[ "$(ini_value BlockData:2 Track)" = 2 ] && [ "$(ini_value BlockData:2 AllData)" = 1 ] ||
  e2e_fail "KM27.ini: the second block is not all of track 2"

# The converter starts on its own, hidden in the tray.
sim clear >/dev/null
e2e_wait_converting
winctl visible TfrmMain '*' && e2e_fail "the main window shows although the converter started"
e2e_start_target
sim swipe 0:4900123456789 0:1234567890 >/dev/null
e2e_expect_text '49001234567891234567890' 10 || e2e_fail "the swipe was not typed into the target window"
echo "PASS: a new folder leads through the wizard to a converter that types a swipe; a cancelled first run ends with nothing saved"
