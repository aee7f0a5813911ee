#!/bin/sh
# Builds the INI reader fuzz target with clang (libFuzzer + AddressSanitizer)
# into build/fuzz and runs it for a bounded time. Non-zero on a crash, a leak,
# a hang or a build failure.
#   tests/fuzz/run.sh [seconds]      (default 20)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build/fuzz"
seconds=${1:-20}
mkdir -p "$out/corpus"

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -DKM27_VERSION_STRING='"fuzz"' -I"$root" \
  "$root/tests/fuzz/IniFuzz.cpp" \
  "$root/settings/IniFile.cpp" "$root/settings/SetupFile.cpp" "$root/settings/Language.cpp" \
  "$root/settings/Define.cpp" "$root/settings/Messages.cpp" "$root/settings/FileSystem.cpp" \
  "$root/common/TextHelpers.cpp" "$root/common/Services.cpp" \
  "$root/ui/Form.cpp" "$root/ui/Components.cpp" \
  -o "$out/ini_fuzz"

# The shipped files are the seeds.
cp "$root"/data/*.ni "$root"/data/*.rlf "$out/corpus/" 2>/dev/null || true

cd "$out"
./ini_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -print_final_stats=1 corpus
