#!/usr/bin/env bash
# One half of the settings exchange between the two systems (e2e_exchange.sh
# runs it between KM27.exe's turns): km27 opens the given settings file in a
# portable copy, its options dialog is shown and closed with OK ("Save setup
# data"), and the saved file is put back where it came from.
#   e2e_linux_option_ok.sh <KM27.ini>
source "$(dirname "$0")/e2e_linux_lib.sh"

M="ORVANE KM-27"
file=$1
port=$(tr -d '\r' <"$file" | sed -n '/^\[Connection\]/,/^\[/s/^Port=//p' | head -1)
e2e_new_installation
cp "$file" "$E2E_WORK/KM27.ini"
e2e_reader "$port"
e2e_start_km27
e2e_window_wait "$M" 20 || e2e_fail "the main window is not shown without auto start"
linctl click "$M" "Show Option" || e2e_fail "no Show Option button"
e2e_window_wait "Option" 10 || e2e_fail "Show Option did not show the options dialog"
linctl click "Option" OK || e2e_fail "no OK button"
e2e_answer "Save setup data" OK
for _ in $(seq 1 50); do
  linctl visible "Option" || break
  sleep 0.1
done
linctl visible "Option" && e2e_fail "the options dialog stayed after OK"
cp "$E2E_WORK/KM27.ini" "$file"
echo "km27 saved the settings through its options dialog"
