#!/usr/bin/env bash
# KM27.exe as a file, read without running it: a GUI program for the build's
# Windows (PE32 for i386 or PE32+ for x86-64) that imports nothing but
# Windows' own DLLs, so it runs on a bare Windows as one file; it carries its
# icons and its version resource; and it is as large as one static program
# is (a size far off means something was linked in or left out).
#   km27_pe.sh <KM27.exe> <pei-i386|pei-x86-64>
set -u
exe=$1
format=$2
objdump=${OBJDUMP:-objdump}
header=$("$objdump" -f "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
echo "$header" | grep -q "file format $format\$" || { echo "FAIL: not $format"; echo "$header"; exit 1; }
echo "ok: $format"
private=$("$objdump" -p "$exe") || { echo "FAIL: cannot read the headers of $exe"; exit 1; }
status=0
grep -q "Subsystem.*0000000000000002\|Subsystem.*00000002" <<<"$private" ||
  { echo "FAIL: not the GUI subsystem"; status=1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|uuid|version|winmm|ws2_32|msvcrt|imm32|shlwapi)\.dll$'
while read -r dll; do
  lower=$(echo "$dll" | tr 'A-Z' 'a-z')
  if [[ "$lower" =~ $allowed ]]; then echo "ok: imports $dll"; else echo "FAIL: imports $dll"; status=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$private")

# The resource directory's first level lists the resource types by number.
types=$(sed -n '/Resource Directory section/,$p' <<<"$private" | sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p')
for t in "3 icon" "e icon group" "10 version" "18 manifest"; do
  id=${t%% *}
  if grep -qx "$id" <<<"$types"; then echo "ok: ${t#* } resource"; else echo "FAIL: no ${t#* } resource"; status=1; fi
done
grep -q "MAINICON" <<<"$private" || { echo "FAIL: no MAINICON icon group"; status=1; }

size=$(stat -c %s "$exe")
if [ "$size" -lt 262144 ] || [ "$size" -gt 16777216 ]; then
  echo "FAIL: $size bytes, not between 256 KiB and 16 MiB"; status=1
else
  echo "ok: $size bytes"
fi
exit $status
