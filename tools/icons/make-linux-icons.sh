#!/usr/bin/env bash
# Renders the Linux program's icons from the drawings in this folder into a
# freedesktop icon theme folder: <out>/<n>x<n>/apps/km27.png (the program),
# km27-stopped.png and km27-running.png (the tray), and the program drawing as
# <out>/scalable/apps/km27.svg. The results are committed under
# data/icons/hicolor, so building never needs this script; run it after
# changing a drawing.
#   tools/icons/make-linux-icons.sh [output folder]   (default data/icons/hicolor)
#
# As for the Windows icons, the "-16" and "-24" drawings are made pixel by
# pixel for the small sizes; 22 pixels (a common panel size) takes the 24
# drawing scaled, which keeps its shapes better than the 16 one enlarged.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../data/icons/hicolor}

# png <name> <size> <drawing>
png() {
  local dir="$out/$2x$2/apps"
  mkdir -p "$dir"
  rsvg-convert -w "$2" -h "$2" "$here/$3" -o "$dir/$1.tmp.png"
  # No time stamps: the same drawings give the same bytes.
  convert "$dir/$1.tmp.png" -strip -define png:exclude-chunks=date,time "PNG32:$dir/$1.png"
  rm -f "$dir/$1.tmp.png"
}

for size in 16 22 24 32 48 64 128 256; do
  case $size in
    16) program=program-16.svg stopped=tray-stopped-16.svg running=tray-running-16.svg ;;
    22|24) program=program-24.svg stopped=tray-stopped.svg running=tray-running.svg ;;
    *) program=program.svg stopped=tray-stopped.svg running=tray-running.svg ;;
  esac
  png km27 "$size" "$program"
  png km27-stopped "$size" "$stopped"
  png km27-running "$size" "$running"
done
mkdir -p "$out/scalable/apps"
cp "$here/program.svg" "$out/scalable/apps/km27.svg"
