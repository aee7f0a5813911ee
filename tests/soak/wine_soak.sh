#!/usr/bin/env bash
# The soak under Wine: KM27.exe converting with its reader checks running
# (port presence, and "VR" every 3 s), the simulator sending numbered reads at
# a rate with every 20th landing on the answer to a check, and km27sink
# taking the typed lines. What arrived is judged byte for byte against what
# was sent (km27_soak --check): no read lost, duplicated or garbled, and the
# converter still running at the end. Prints the figures.
#   wine_soak.sh [reads] [gap ms]     (default 60 reads 150-400 ms apart; the figures run 1000)
source "$(dirname "$0")/soak_lib.sh"
reads=${1:-60}
gap=${2:-150-400}
seed=${SOAK_SEED:-7}

e2e_settings 34 101 plain
e2e_reader 34
soak_km27_running
out="$E2E_WORK/typed.txt"
: >"$out"
soak_start_sink record "$(winepath_of "$out")"
before=$(probe figures "${SOAK_MAIN[@]}") || e2e_fail "no main window to measure"
linux_before=$(soak_linux_figures)

e2e_log "sending $reads numbered reads, $gap ms apart, every 20th on a check answer"
sim swipes "$reads" "$gap" seed="$seed" collide=20 | grep -q '^OK' || e2e_fail "the simulator refused the run"
start=$(date +%s)
limit=$((start + reads * ${gap##*-} / 1000 + 60))
while [ "$(soak_stat left)" != 0 ] || [ "$(soak_stat held)" != 0 ]; do
  [ "$(date +%s)" -lt "$limit" ] || break
  sleep 1
done
# The last reads are typed once the line has been quiet for a while.
size=-1
while [ "$(stat -c %s "$out")" != "$size" ]; do
  size=$(stat -c %s "$out")
  sleep 3
done
seconds=$(($(date +%s) - start))

after=$(probe figures "${SOAK_MAIN[@]}")
linux_after=$(soak_linux_figures)
checks=$(sim received | grep -o '02 56 52 03' | wc -l)
stopped=no
winctl visible "${SOAK_MAIN[@]}" && stopped=yes

echo "wine soak: $reads numbered reads, $gap ms apart, seed $seed, every 20th on a check answer, $seconds s"
"$SOAK_CHECK" --check "$out" --reads "$reads" --seed "$seed" | tee "$E2E_WORK/check.txt"
echo "answers to the reader      ACK $(soak_stat acks), NAK $(soak_stat naks), 0x10 $(soak_stat dles)"
echo "reader checks (\"VR\")       $checks; converter stopped: $stopped"
echo "KM27.exe before: $before"
echo "KM27.exe after:  $after"
echo "KM27.exe before: $linux_before"
echo "KM27.exe after:  $linux_after"
grep -q '^RESULT PASS' "$E2E_WORK/check.txt" || e2e_fail "reads were lost, duplicated or garbled"
[ "$stopped" = no ] || e2e_fail "the converter stopped"
kill -0 "$E2E_KM27" 2>/dev/null || e2e_fail "KM27.exe ended"
echo "PASS: $reads reads typed exactly once each"
