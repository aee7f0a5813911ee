# Shared steps of the Wine soak, cycles, flood and figures scripts (sourced):
# the end-to-end steps of tests/e2e/e2e_lib.sh, the sink window that takes
# the typed reads (km27sink.exe), the outside view of KM27.exe through the
# Windows API (km27probe.exe) and the Linux view of its process.
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_lib.sh"

SOAK_CHECK="$KM27_NATIVE_BUILD_DIR/tools/soak/km27_soak"

SOAK_MAIN=(TfrmMain 'ORVANE KM-27')

probe() { $E2E_RUN "$E2E_BIN/km27probe.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# soak_start_sink <km27sink arguments...>: the sink window with the focus.
# Its output file is the caller's business; the process is SOAK_SINK.
soak_start_sink() {
  $E2E_RUN "$E2E_BIN/km27sink.exe" "$@" >"$E2E_WORK/sink.out" 2>&1 &
  SOAK_SINK=$!
  E2E_PIDS+=($SOAK_SINK)
  winctl wait KM27Sink '*' 15000 || e2e_fail "the sink window did not appear"
  sleep 0.5
}

# soak_stat <key>: a number from the simulator's "stats" line (reads, acks, left, ...).
soak_stat() { sim stats | tr ' ' '\n' | awk -F= -v k="$1" '$1 == k {print $2}'; }

# KM27.exe as Linux sees it (Wine runs a Windows process as one Linux
# process): resident memory, threads, open files and CPU time.
soak_linux_figures() {
  local pid=$E2E_KM27 rss threads fds ticks hz
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  threads=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")
  fds=$(ls "/proc/$pid/fd" | wc -l)
  ticks=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  hz=$(getconf CLK_TCK)
  echo "linux: rss $rss kB threads $threads fds $fds cpu $((ticks * 1000 / hz)) ms"
}

# soak_field <name> <figures line>: the number after <name> in a figures line.
soak_field() { echo "$2" | tr ' ' '\n' | awk -v k="$1" 'found {print; exit} $0 == k {found = 1}'; }

# soak_km27_running: converting, with the start-up check done, and the
# simulator's received record cleared.
soak_km27_running() {
  e2e_start_km27
  e2e_wait_converting
  winctl visible "${SOAK_MAIN[@]}" && e2e_fail "the main window shows although the converter started"
  sleep 2  # the rest of the start-up check (power-on setting) goes by
  sim clear >/dev/null
}
