#!/bin/sh
# A long run of one fuzz target for the figures in docs/performance.md: one
# process at the lowest priority (the machine is shared), from the committed
# seeds and everything earlier runs here found, until it has made <runs>
# executions (default 10 million). Builds the targets first (run.sh 0 <target>
# would do the same). The last lines of the log are the run's statistics.
#   tests/fuzz/long.sh <target> [runs]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
target=${1:?usage: tests/fuzz/long.sh <target> [runs]}
runs=${2:-10000000}
out="$root/build/fuzz"
[ -d "$here/corpus/$target" ] || { echo "no target $target (see $here/corpus)"; exit 2; }

cd "$root"
mkdir -p "$out"
cmake --preset fuzz >"$out/configure.log" 2>&1 || { cat "$out/configure.log"; exit 1; }
nice -n 19 cmake --build --preset fuzz -j 1 --target "${target}_fuzz" >"$out/build.log" 2>&1 ||
  { grep -E "error|FAILED" "$out/build.log" | head -40; exit 1; }

# Inputs as long as the target's real inputs can be, with room to spare.
max_len() {
  case "$1" in
    ini) echo 16384 ;;
    language) echo 8192 ;;
    frame) echo 1024 ;;
    *) echo 2048 ;;
  esac
}

mkdir -p "$out/corpus/$target" "$out/findings/$target"
log="$out/long-$target.log"
start=$(date +%s)
echo "long run of $target: $runs executions, log $log"
set +e
(cd "$out/findings/$target" && nice -n 19 "$out/tests/fuzz/${target}_fuzz" -runs="$runs" -timeout=10 \
   -rss_limit_mb=2048 -max_len="$(max_len "$target")" -print_final_stats=1 -print_pcs=0 \
   "$out/corpus/$target" "$here/corpus/$target") >"$log" 2>&1
status=$?
set -e
end=$(date +%s)
executed=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
speed=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
peak=$(awk '/stat::peak_rss_mb/ {print $2}' "$log")
cov=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -E 's/.*cov: ([0-9]+).*ft: ([0-9]+).*/cov \1 ft \2/')
echo "$target: status $status, ${executed:-?} executions in $((end - start)) s (${speed:-?}/s), peak RSS ${peak:-?} MB, $cov, corpus $(ls "$out/corpus/$target" | wc -l) new inputs"
[ $status -eq 0 ] || { grep -E "ERROR|SUMMARY" "$log" | head -20; ls "$out/findings/$target"; }
exit $status
