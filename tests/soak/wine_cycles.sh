#!/usr/bin/env bash
# Cycles under Wine. First the real serial port component opened and closed
# <open cycles> times with a "VR" exchange each (commx_cycles.exe, which judges
# its own counts). Then KM27.exe converting while its reader is unplugged and
# plugged in again <replug cycles> times: each time the connection check stops
# the converter with "Test result : Error", the message is closed, the reader
# comes back, Start is pressed and the converter reaches the reader again.
# KM27.exe's handles, threads, windows and working set after the first cycle
# and at the end may not grow. Prints the figures.
#   wine_cycles.sh [open cycles] [replug cycles]     (default 15 2; the figures run 1000 100)
source "$(dirname "$0")/soak_lib.sh"
opens=${1:-15}
replugs=${2:-2}
# Growth of KM27.exe that is still no leak (Wine and the C runtime keep a
# few handles and pages of their own as they go).
handle_slack=8
ws_slack_kb=4096

# ---- the component alone ----
e2e_reader 36
e2e_log "$opens Open/Close cycles of TCommX on COM36"
KM27_SIM_COM=36 KM27_SIM_TCP=$E2E_SIM_TCP $E2E_RUN "$E2E_BIN/commx_cycles.exe" "$opens" 2>/dev/null | tr -d '\r' |
  tee "$E2E_WORK/commx.txt" | grep -v '^  cycle ' || true
grep -q '^RESULT PASS' "$E2E_WORK/commx.txt" || e2e_fail "the component's cycles failed or leaked"
sim quit >/dev/null
rm -f "$WINEPREFIX/dosdevices/com36"
$E2E_RUN reg delete 'HKLM\Hardware\DeviceMap\SerialComm' /v KM27Sim36 /f >/dev/null 2>&1
E2E_PORT=""

# ---- the running program ----
e2e_settings 37 101 plain
e2e_reader 37
soak_km27_running

unplug_and_replug() {
  sim vanish >/dev/null
  $E2E_RUN reg delete 'HKLM\Hardware\DeviceMap\SerialComm' /v KM27Sim37 /f >/dev/null 2>&1
  # A loaded machine may show the box before its text is in it: read it again.
  local box=""
  for _ in $(seq 1 10); do
    box=$(winctl box '*' 20000)
    echo "$box" | grep -q 'Test result : Error' && break
    sleep 0.3
  done
  echo "$box" | grep -q 'Test result : Error' || e2e_fail "cycle $1: no connection error after the unplug: $box"
  winctl boxok '*'
  for _ in $(seq 1 100); do
    winctl visible "${SOAK_MAIN[@]}" && break
    sleep 0.1
  done
  sim reconnect >/dev/null
  $E2E_RUN reg add 'HKLM\Hardware\DeviceMap\SerialComm' /v KM27Sim37 /t REG_SZ /d COM37 /f >/dev/null 2>&1
  sim clear >/dev/null
  for _ in $(seq 1 50); do
    winctl click "${SOAK_MAIN[@]}" Start && break
    sleep 0.1
  done
  sim wait-rx 02 56 52 15000 | grep -q '^OK' || e2e_fail "cycle $1: Start did not reach the reader again"
  for _ in $(seq 1 50); do
    winctl visible "${SOAK_MAIN[@]}" || break
    sleep 0.1
  done
  winctl visible "${SOAK_MAIN[@]}" && e2e_fail "cycle $1: the main window still shows after Start"
  sleep 2  # the start-up check finishes
}

e2e_log "$replugs unplug/replug cycles of the running KM27.exe on COM37"
start=$(date +%s)
unplug_and_replug 1
first=$(probe figures "${SOAK_MAIN[@]}")
linux_first=$(soak_linux_figures)
for i in $(seq 2 "$replugs"); do
  unplug_and_replug "$i"
  [ $((i % 10)) -eq 0 ] && e2e_log "after $i cycles: $(probe figures "${SOAK_MAIN[@]}")"
done
last=$(probe figures "${SOAK_MAIN[@]}")
linux_last=$(soak_linux_figures)

# The reader works after the last cycle: a read is typed.
soak_start_sink record "$(winepath_of "$E2E_WORK/typed.txt")"
sim swipe 0:S000000AB 0:12 >/dev/null
for _ in $(seq 1 100); do
  grep -q 'S000000AB/12' "$E2E_WORK/typed.txt" 2>/dev/null && break
  sleep 0.1
done

echo "$replugs unplug/replug cycles in $(($(date +%s) - start)) s"
echo "KM27.exe after cycle 1:  $first"
echo "KM27.exe after cycle $replugs: $last"
echo "KM27.exe after cycle 1:  $linux_first"
echo "KM27.exe after cycle $replugs: $linux_last"
grep -q 'S000000AB/12' "$E2E_WORK/typed.txt" || e2e_fail "no read typed after the last cycle"
grow() { echo $(($(soak_field "$1" "$last") - $(soak_field "$1" "$first"))); }
echo "growth: handles $(grow handles), threads $(grow threads), windows $(grow windows), working set $(grow ws) kB"
[ "$(grow handles)" -le $handle_slack ] || e2e_fail "handles grew"
[ "$(grow threads)" -le 0 ] || e2e_fail "threads grew"
[ "$(grow windows)" -le 0 ] || e2e_fail "windows grew"
[ "$(grow ws)" -le $ws_slack_kb ] || e2e_fail "the working set grew"
echo "PASS: $opens component cycles and $replugs unplug/replug cycles without growth"
