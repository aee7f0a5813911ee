#!/usr/bin/env bash
# The icons under app/win32/icons are what tools/icons/make-icons.sh makes
# from the drawings: the same files, the same sizes in the same order and the
# same pixels (a small tolerance allows another version of the renderer).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$root/tools/icons/make-icons.sh" "$tmp" || { echo "FAIL: make-icons.sh failed"; exit 1; }
status=0
fail() { echo "FAIL: $*"; status=1; }
for made in "$tmp"/*.ico; do
  [ -f "$root/app/win32/icons/$(basename "$made")" ] || fail "$(basename "$made") is made but not committed"
done
for ico in "$root"/app/win32/icons/*.ico; do
  name=$(basename "$ico")
  [ -f "$tmp/$name" ] || { fail "$name is committed but no drawing makes it"; continue; }
  want=$(identify -format '%wx%h ' "$ico")
  got=$(identify -format '%wx%h ' "$tmp/$name")
  [ "$want" = "$got" ] || { fail "$name holds $want, the drawings make $got"; continue; }
  i=0
  for size in $want; do
    differ=$(compare -metric AE -fuzz 3% "$ico[$i]" "$tmp/$name[$i]" null: 2>&1)
    [ "$differ" = 0 ] || fail "$name at $size: $differ pixels differ from the drawing"
    i=$((i + 1))
  done
done
[ $status = 0 ] && echo "PASS: the committed icons are those their drawings make"
exit $status
