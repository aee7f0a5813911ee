#!/usr/bin/env bash
# Prints 1 when this host runs 32-bit (i386) Linux programs, 0 when it does
# not. Wine's 32-bit loader is such a program, so this decides whether the
# 32-bit KM27.exe can run here. The answer comes from running a tiny i386
# program (exit status 42), not from the CPU or the kernel version: a 64-bit
# kernel may be built without 32-bit support, or refuse it by policy.
#   KM27_HOST32=0|1 overrides the probe (0 forces the 64-bit-only path).
set -u
if [ -n "${KM27_HOST32:-}" ]; then
  case "$KM27_HOST32" in
    0 | 1) echo "$KM27_HOST32"; exit 0 ;;
    *) echo "KM27_HOST32 must be 0 or 1, not \"$KM27_HOST32\"" >&2; exit 2 ;;
  esac
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/km27-host32.XXXXXX") || { echo 0; exit 0; }
trap 'rm -rf "$dir"' EXIT
probe=$dir/probe
# ELF32 header, one loadable segment at 0x08048000, and the code at its
# offset 0x54: mov eax,1 (exit); mov ebx,42; int 0x80.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\050\000' >>"$probe"
printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$probe"
printf '\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000' >>"$probe"
printf '\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >>"$probe"
chmod +x "$probe"
"$probe" >/dev/null 2>&1
if [ $? -eq 42 ]; then echo 1; else echo 0; fi
