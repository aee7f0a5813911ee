#!/usr/bin/env bash
# The reader's port vanishing while converting (a USB adapter pulled): the
# connection check stops the converter, says "Test result : Error" and shows
# the main window with Start available again.
source "$(dirname "$0")/e2e_lib.sh"

e2e_settings 32 101
e2e_reader 32
e2e_start_km27
e2e_wait_converting
winctl visible TfrmMain 'ORVANE KM-27' && e2e_fail "the main window shows although the converter started"

e2e_log "pulling the reader"
sim vanish >/dev/null
$E2E_RUN reg delete 'HKLM\Hardware\DeviceMap\SerialComm' /v KM27Sim32 /f >/dev/null 2>&1

box=$(winctl box '*' 20000) || e2e_fail "no message after the reader vanished"
echo "$box"
echo "$box" | grep -q 'Test result : Error' || e2e_fail "the message is not the connection error"
winctl visible TfrmMain 'ORVANE KM-27' && e2e_fail "the main window shows before the message is closed"
winctl boxok '*'

for _ in $(seq 1 50); do
  winctl visible TfrmMain 'ORVANE KM-27' && break
  sleep 0.1
done
winctl visible TfrmMain 'ORVANE KM-27' || e2e_fail "the main window is not shown after the error"
controls=$(winctl children TfrmMain 'ORVANE KM-27')
echo "$controls" | grep -P '\tStart\t' | grep -q $'\tenabled' || e2e_fail "Start is not available again: $controls"
echo "$controls" | grep -P '\tStop\t' | grep -q $'\tdisabled' || e2e_fail "Stop is still available: $controls"
kill -0 "$E2E_KM27" 2>/dev/null || e2e_fail "KM27.exe ended"
echo "PASS: the vanished reader stopped the converter and showed the main window with the error"
