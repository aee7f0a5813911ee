#!/usr/bin/env bash
# The speed figures of KM27.exe under Wine, as it converts with its reader
# checks running. Benchmarks: the figures are printed, never judged by time;
# the run fails only when a read is lost or typed wrong.
#  - swipe to first keystroke (median, max) against the floor of
#    ReciveBuffTime + 10 ms: the frame ends after 80 ms of silence, the output
#    timer adds 10 ms (km27sink bench, short reads);
#  - keystrokes per second into an edit control (reads of 121 keystrokes, the
#    longest tracks 1 and 2 of a card);
#  - CPU time of KM27.exe while idle for <idle s> (only the reader checks wake it);
#  - its working set, and the size of KM27.exe.
#   wine_figures.sh [short reads] [long reads] [idle s]     (default 8 2 3; the figures run 200 20 60)
source "$(dirname "$0")/soak_lib.sh"
short=${1:-8}
long=${2:-2}
idle=${3:-3}

e2e_settings 39 101 plain
e2e_reader 39
soak_km27_running

# How often each thread woke (its context switches), the program's and
# Wine's own alike; see docs/performance.md for which is which.
e2e_log "idle for $idle s"
before=$(soak_linux_figures)
sim clear >/dev/null
woke=$("$KM27_SOURCE_DIR/scripts/wakeups.sh" "$E2E_KM27" "$idle")
after=$(soak_linux_figures)
cpu=$(($(soak_field cpu "$after") - $(soak_field cpu "$before")))
checks=$(sim received | grep -o '02 56 52 03' | wc -l)
# The same length again, counted as the waits each thread woke from.
sim clear >/dev/null
slept=$("$KM27_SOURCE_DIR/scripts/wakeups.sh" --strace "$E2E_KM27" "$idle")
checks2=$(sim received | grep -o '02 56 52 03' | wc -l)
figures=$(probe figures "${SOAK_MAIN[@]}")

e2e_log "swipes: $short short, $long long"
KM27_SIM_TCP=$E2E_SIM_TCP $E2E_RUN "$E2E_BIN/km27sink.exe" bench "$short" "$long" \
  "$(winepath_of "$E2E_WORK/samples.csv")" >"$E2E_WORK/bench.txt" 2>&1 &
bench=$!
E2E_PIDS+=($bench)
wait "$bench"
status=$?
tr -d '\r' <"$E2E_WORK/bench.txt"
echo "floor: ReciveBuffTime + 10 ms = 90 ms"
echo "idle $idle s: $cpu ms of CPU time ($(awk -v c="$cpu" -v s="$idle" 'BEGIN {printf "%.3f", c / (s * 10)}') %), $checks version checks sent"
echo "$woke"
echo "the next $idle s, $checks2 version checks sent:"
echo "$slept"
echo "KM27.exe: $figures"
echo "KM27.exe: $after"
echo "size of KM27.exe: $(stat -c %s "$E2E_BIN/KM27.exe") bytes"
[ -n "${SOAK_SAMPLES:-}" ] && cp "$E2E_WORK/samples.csv" "$SOAK_SAMPLES"

# Where the time goes: the same road inside one test program on the port
# KM27.exe lets go of, and the injector typing into that program's own edit.
kill "$E2E_KM27" 2>/dev/null
wait "$E2E_KM27" 2>/dev/null
sleep 1
echo "--- the parts, inside one program:"
KM27_SIM_COM=39 KM27_SIM_TCP=$E2E_SIM_TCP $E2E_RUN "$E2E_BIN/wine_latency_parts.exe" "$short" 2>/dev/null | tr -d '\r'

[ "$status" -eq 0 ] || e2e_fail "reads were lost or typed wrong"
echo "PASS"
