#!/bin/sh
# Builds the libFuzzer targets (preset "fuzz": clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from
# its committed seeds (corpus/<target>/) plus what earlier runs here found
# (build/fuzz/corpus/<target>/). One summary line per target; on a finding,
# the end of the report and the input that caused it. Non-zero on a finding,
# a hang, a leak or a build failure.
#   tests/fuzz/run.sh [seconds per target] [target...]    (default 10; all targets)
# Long runs, one target at a time: tests/fuzz/long.sh.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-10}
[ $# -gt 0 ] && shift
targets=${*:-$(ls "$here/corpus")}
out="$root/build/fuzz"
jobs=${KM27_JOBS:-$(nproc)}

cd "$root"
mkdir -p "$out"
cmake --preset fuzz >"$out/configure.log" 2>&1 || { cat "$out/configure.log"; exit 1; }
names=""
for t in $targets; do names="$names ${t}_fuzz"; done
# shellcheck disable=SC2086
if ! cmake --build --preset fuzz -j "$jobs" --target $names >"$out/build.log" 2>&1; then
  grep -E "error|FAILED" "$out/build.log" | head -40
  exit 1
fi

# Inputs as long as the target's real inputs can be, with room to spare.
max_len() {
  case "$1" in
    ini) echo 16384 ;;
    language) echo 8192 ;;
    frame) echo 1024 ;;
    *) echo 2048 ;;
  esac
}

status=0
for t in $targets; do
  mkdir -p "$out/corpus/$t" "$out/findings/$t"
  log="$out/$t.log"
  if (cd "$out/findings/$t" && "$out/tests/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len="$(max_len "$t")" -print_final_stats=1 \
        "$out/corpus/$t" "$here/corpus/$t") >"$log" 2>&1; then
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    units=$(ls "$out/corpus/$t" | wc -l)
    echo "fuzz $t: $runs runs in ${seconds} s, no finding (corpus $units new inputs)"
  else
    status=1
    echo "fuzz $t: FINDING (log $log)"
    grep -E "ERROR|SUMMARY|==[0-9]+==|#[0-9]+ 0x" "$log" | head -30
    ls "$out/findings/$t"
  fi
done
exit $status
