#!/usr/bin/env bash
# The flood under Wine: KM27.exe converting at 115200 bit/s while the reader's
# line never goes silent for <seconds> s (pseudo-random bytes at the full
# rate). Its memory stays bounded, its window keeps answering messages (the
# time of each answer is measured every 20 ms; the figure to meet is 100 ms),
# and the next normal read after the flood is typed. The reader check by
# "VR" is off: on a line that never goes silent no answer can end, and the
# check would rightly take the reader for lost.
#   wine_flood.sh [seconds]     (default 10; the figures run 60)
source "$(dirname "$0")/soak_lib.sh"
seconds=${1:-10}
# Growth of the resident memory during the flood that still counts as bounded:
# the receive buffer holds at most 64 KiB of a frame.
rss_slack_kb=16384

e2e_settings 38 100 plain
sed -i 's/^BaudRate=9600/BaudRate=115200/' "$E2E_WORK/KM27.ini"
e2e_reader 38
soak_km27_running
out="$E2E_WORK/typed.txt"
: >"$out"
soak_start_sink record "$(winepath_of "$out")"
linux_before=$(soak_linux_figures)

e2e_log "flooding the line at 115200 bit/s for $seconds s"
sim stream 115200 random | grep -q '^OK' || e2e_fail "the simulator refused the stream"
flood_start=$(date +%s%N)
rss_max=0
(
  for _ in $(seq 1 $((seconds * 2))); do
    awk '/^VmRSS:/ {print $2}' "/proc/$E2E_KM27/status"
    sleep 0.5
  done
) >"$E2E_WORK/rss.txt" &
sampler=$!
E2E_PIDS+=($sampler)
probe respond "${SOAK_MAIN[@]}" "$seconds" 20 >"$E2E_WORK/respond.txt"
responded=$?
wait "$sampler"
sim clear >/dev/null  # from here on the reader hears only the answer to the flood
streamed=$(sim stream off | awk '{print $4}')
flood_ms=$((($(date +%s%N) - flood_start) / 1000000))
# Bytes still on their way to the program when the stream stopped: the line
# is quiet only once it has taken them.
left=$(soak_stat backlog)
drain_start=$(date +%s%N)
for _ in $(seq 1 1200); do
  [ "$(soak_stat backlog)" = 0 ] && break
  sleep 0.1
done
drain_ms=$((($(date +%s%N) - drain_start) / 1000000))
[ "$(soak_stat backlog)" = 0 ] || e2e_fail "KM27.exe did not take the flood off the line ($(soak_stat backlog) bytes left)"
linux_after=$(soak_linux_figures)
rss_max=$(sort -n "$E2E_WORK/rss.txt" | tail -1)
rss_before=$(soak_field rss "$linux_before")

answer=$(sim wait-rx 15 3000 | grep -q '^OK' && echo "NAK (a frame that fails its check)" || echo "none")
sim swipe 0:S000001AFTER 0:4242 >/dev/null
for _ in $(seq 1 100); do
  grep -q 'S000001AFTER/4242' "$out" && break
  sleep 0.1
done

echo "flood: $streamed bytes in $flood_ms ms ($((streamed * 1000 / flood_ms)) bytes/s; 115200 bit/s is 11520 bytes/s)"
echo "on the line when the stream stopped: $left bytes, all taken by KM27.exe $drain_ms ms later"
echo "the flood's bytes, once the line went quiet, were answered: $answer"
cat "$E2E_WORK/respond.txt"
echo "KM27.exe before:      $linux_before"
echo "KM27.exe after:       $linux_after"
echo "resident memory during the flood: at most $rss_max kB (before: $rss_before kB)"
[ "$responded" -eq 0 ] || e2e_fail "the window stopped answering during the flood"
[ $((rss_max - rss_before)) -le $rss_slack_kb ] || e2e_fail "memory grew by $((rss_max - rss_before)) kB"
grep -q 'S000001AFTER/4242' "$out" || e2e_fail "the read after the flood was not typed"
winctl visible "${SOAK_MAIN[@]}" && e2e_fail "the converter stopped"
echo "PASS: the window answered throughout, memory stayed bounded, the next read was typed"
