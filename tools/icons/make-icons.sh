#!/usr/bin/env bash
# Renders the program's icons from the drawings in this folder and packs each
# into one .ico (rsvg-convert draws, ImageMagick packs). The results are
# committed under app/win32/icons, so building never needs this script; run it
# after changing a drawing.
#   tools/icons/make-icons.sh [output folder]     (default app/win32/icons)
#
# Each icon lists its sizes with the drawing each size comes from: the
# "-16" drawings are made pixel by pixel for the smallest sizes, the others
# have their edges on a coarse grid so that the common sizes stay sharp.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../app/win32/icons}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# icon <file.ico> <size>:<drawing> ...
icon() {
  local ico=$1 entry size drawing pngs=()
  shift
  for entry in "$@"; do
    size=${entry%%:*}
    drawing=${entry#*:}
    rsvg-convert -w "$size" -h "$size" "$here/$drawing" -o "$tmp/$size.png"
    pngs+=("$tmp/$size.png")
  done
  # No time stamps or names in the file: the same drawings give the same bytes.
  convert "${pngs[@]}" -strip +set date:create +set date:modify \
    -define png:exclude-chunks=date,time "$out/$ico"
  rm -f "${pngs[@]}"
}

# The file icon and the windows' icon.
icon KM27.ico 16:program-16.svg 24:program-24.svg 32:program.svg 48:program.svg 256:program.svg
# The tray icons: stopped (grey card, red square) and converting (blue card,
# green triangle). Wider sizes serve display scaling above 100 %.
icon TrayStopped.ico 16:tray-stopped-16.svg 20:tray-stopped.svg 24:tray-stopped.svg 32:tray-stopped.svg 48:tray-stopped.svg
icon TrayRunning.ico 16:tray-running-16.svg 20:tray-running.svg 24:tray-running.svg 32:tray-running.svg 48:tray-running.svg
