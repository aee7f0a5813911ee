#!/usr/bin/env bash
# KM27.exe is a 32-bit GUI program that imports nothing but Windows' own DLLs,
# so it runs on a bare Windows as one file.
set -u
exe=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
header=$("$objdump" -f "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
echo "$header" | grep -q "file format pei-i386" || { echo "FAIL: not PE32 for i386"; echo "$header"; exit 1; }
"$objdump" -p "$exe" | grep -q "Subsystem.*0000000000000002\|Subsystem.*00000002" ||
  { echo "FAIL: not the GUI subsystem"; exit 1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|uuid|version|winmm|ws2_32|msvcrt|imm32|shlwapi)\.dll$'
status=0
while read -r dll; do
  lower=$(echo "$dll" | tr 'A-Z' 'a-z')
  if [[ "$lower" =~ $allowed ]]; then echo "ok: $dll"; else echo "FAIL: imports $dll"; status=1; fi
done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
exit $status
