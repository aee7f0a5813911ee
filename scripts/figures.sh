#!/usr/bin/env bash
# The long runs behind docs/performance.md, one after the other, with the
# machine they ran on; everything goes to build/figures/figures-<time>.txt
# too. Needs the presets built (scripts/build.sh all). Takes about two hours;
# the fuzzing figures come from the long runs of tests/fuzz/long.sh, whose
# last summaries are collected at the end.
#   scripts/figures.sh [native|wine|fuzz|all]     (default all)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
what=${1:-all}
mkdir -p build/figures
report="build/figures/figures-$(date +%Y%m%d-%H%M).txt"
source scripts/wine-build.sh
export KM27_WINE_DIR=$root/build/$km27_preset/wine KM27_WINE_RUN=$root/cmake/wine-run.sh
export KM27_BUILD_DIR=$root/build/$km27_preset KM27_NATIVE_BUILD_DIR=$root/build/native KM27_SOURCE_DIR=$root

section() { echo; echo "=== $* ($(date '+%Y-%m-%d %H:%M'), load $(cut -d' ' -f1-3 /proc/loadavg))"; }

{
  section "machine"
  echo "$(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-)"
  echo "memory: $(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo); $(uname -sr); $(wine --version)"
  echo "commit $(git rev-parse --short HEAD)"

  if [ "$what" = native ] || [ "$what" = all ]; then
    section "native soak: 10000 reads"
    build/native/tools/soak/km27_soak --reads 10000
    section "native latency over a pseudo-terminal"
    build/native/tools/bench_latency/km27_bench_latency --count 200
    section "key output speed (fake keyboard)"
    build/native/tools/bench_keys/bench_keys
  fi

  if [ "$what" = wine ] || [ "$what" = all ]; then
    km27_wine_build_line
    cmake/wine-fixture.sh start "$KM27_WINE_DIR" "$km27_wine_arch"
    section "Wine soak: 1000 reads"
    tests/soak/wine_soak.sh 1000
    section "Wine cycles: 1000 Open/Close, 100 unplug/replug"
    tests/soak/wine_cycles.sh 1000 100
    section "Wine flood: 60 s at 115200 bit/s"
    tests/soak/wine_flood.sh 60
    section "Wine speed figures"
    tests/soak/wine_figures.sh 200 20 60
    cmake/wine-fixture.sh stop "$KM27_WINE_DIR"
  fi

  if [ "$what" = fuzz ] || [ "$what" = all ]; then
    section "fuzzing: the last long run of each target (tests/fuzz/long.sh)"
    for log in build/fuzz/long-*.log; do
      [ -f "$log" ] || continue
      t=${log##*/long-}
      t=${t%.log}
      runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
      speed=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
      finding=$(grep -c -E '^==[0-9]+==ERROR|deadly signal' "$log")
      echo "$t: ${runs:-unfinished} executions, ${speed:-?}/s, findings $finding, $(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+')"
    done
  fi
} 2>&1 | tee "$report"
echo "report: $report"
