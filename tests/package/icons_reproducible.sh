#!/usr/bin/env bash
# The icons under app/win32/icons are what tools/icons/make-icons.sh makes
# from the drawings: the same files, the same sizes in the same order and the
# same pixels (a small tolerance allows another version of the renderer), and
# so is the Linux icon theme under data/icons/hicolor (make-linux-icons.sh).
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
# The Linux program's theme: the same files, and each picture the same.
"$root/tools/icons/make-linux-icons.sh" "$tmp/hicolor" || { echo "FAIL: make-linux-icons.sh failed"; exit 1; }
made=$(cd "$tmp/hicolor" && find . -type f | sort)
committed=$(cd "$root/data/icons/hicolor" && find . -type f | sort)
[ "$made" = "$committed" ] || fail "data/icons/hicolor differs in its files from what make-linux-icons.sh makes"
for png in $(cd "$tmp/hicolor" && find . -name '*.png'); do
  [ -f "$root/data/icons/hicolor/$png" ] || continue
  differ=$(compare -metric AE -fuzz 3% "$root/data/icons/hicolor/$png" "$tmp/hicolor/$png" null: 2>&1)
  [ "$differ" = 0 ] || fail "data/icons/hicolor/$png: $differ pixels differ from the drawing"
done
[ $status = 0 ] && echo "PASS: the committed icons are those their drawings make"
exit $status
