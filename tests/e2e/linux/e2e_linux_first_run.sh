#!/usr/bin/env bash
# The first run of a new portable copy of the Linux program: a folder holding
# only km27, KM27.ni and the language files, the reader simulator on one of
# several listed COM ports (the others have no device).
#  1. Cancelling the first-run wizard ends the program; the settings file is
#     still the default copy, nothing of the wizard saved.
#  2. Again: "Connect Test" finds the simulator, a test swipe fills the list,
#     "Auto Start Mode", Complete, "Save setup data"; the converter then
#     starts on its own and a swipe is typed into a target window.
#  3. A second copy started meanwhile shows the fixed message and ends; the
#     first goes on.
source "$(dirname "$0")/e2e_linux_lib.sh"

W="Initial Setup Wizard"
ini_value() { tr -d '\r' <"$E2E_WORK/KM27.ini" | sed -n "/^\[$1\]/,/^\[/s/^$2=//p" | head -1; }

# COM53 and COM54 lead nowhere: the search passes ports without a device.
ln -s /dev/null/none "$KM27_SERIAL_DIR/COM53"
e2e_reader 37
ln -s /dev/null/none "$KM27_SERIAL_DIR/COM54"

# ---- 1. cancelled ----
e2e_new_installation
e2e_test_default_copy "$E2E_WORK/KM27.ni"
e2e_start_km27
e2e_window_wait "$W" 20 || e2e_fail "the setup wizard did not appear on the first start"
e2e_expect "$W" "Find the card reader  1/3" 5
linctl click "$W" Cancel || e2e_fail "no Cancel button"
e2e_answer "The initial setup is not complete" OK
e2e_wait_ended 15 || e2e_fail "cancelling the first-run wizard did not end km27"
cmp -s "$E2E_WORK/KM27.ini" "$E2E_WORK/KM27.ni" || e2e_fail "the cancelled wizard changed KM27.ini"
[ -z "$(ls -A "$XDG_CONFIG_HOME")" ] || e2e_fail "a portable copy wrote into $XDG_CONFIG_HOME: $(ls -R "$XDG_CONFIG_HOME")"
e2e_log "cancelled first run: km27 ended, KM27.ini is the default copy"

# ---- 2. completed ----
rm -f "$E2E_WORK/KM27.ini"
sim clear >/dev/null
e2e_start_km27
e2e_wizard_complete
for _ in $(seq 1 50); do
  linctl visible "$W" || break
  sleep 0.1
done
linctl visible "$W" && e2e_fail "the wizard stayed after Complete"
e2e_log "wizard completed on COM37"
[ "$(ini_value General WizardStatus)" = 111 ] || e2e_fail "KM27.ini: WizardStatus=$(ini_value General WizardStatus)"
[ "$(ini_value General AutoStart)" = 1 ] || e2e_fail "KM27.ini: AutoStart=$(ini_value General AutoStart)"
[ "$(ini_value Connection Port)" = 37 ] || e2e_fail "KM27.ini: Port=$(ini_value Connection Port)"
[ "$(ini_value CardData TrackUse)" = 1100 ] || e2e_fail "KM27.ini: TrackUse=$(ini_value CardData TrackUse)"

# The converter starts on its own, hidden in the tray.
sim clear >/dev/null
e2e_wait_converting

# ---- 3. a second copy ----
main_copy=$E2E_KM27
e2e_start_km27
e2e_answer "$(printf '\xe3\x81\xaf\xe3\x81\x99\xe3\x81\xa7\xe3\x81\xab\xe8\xb5\xb7\xe5\x8b\x95')" OK  # "はすでに起動"
e2e_wait_ended 10 || e2e_fail "the second copy did not end"
kill -0 "$main_copy" || e2e_fail "the first copy ended with the second"
E2E_KM27=$main_copy

e2e_start_target
sim swipe 0:4900123456789 0:1234567890 >/dev/null
e2e_expect_text '49001234567891234567890' 10 || e2e_fail "the swipe was not typed into the target window"
echo "PASS: a new folder leads through the wizard to a converter that types a swipe; a cancelled first run ends with nothing saved; a second copy says so and ends"
