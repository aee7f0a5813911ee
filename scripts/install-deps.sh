#!/usr/bin/env bash
# Installs, with apt only, what a fresh Debian machine lacks to build, run and
# test the project: native toolchain and GoogleTest, the MinGW-w64 i686 cross
# compilers, 32-bit Wine, Xvfb and the small X tools the Wine tests use, and
# the SVG renderer that tools/icons/make-icons.sh draws the icons with, and a
# Japanese font for the Japanese screenshots (tools/screenshots).
# Idempotent: packages already present are not touched.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed" || need+=("$1"); }

for p in cmake ninja-build g++ googletest libgtest-dev clang libclang-rt-14-dev \
         g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         mingw-w64-i686-dev mingw-w64-tools \
         xvfb xauth x11-utils xdotool imagemagick librsvg2-bin procps psmisc file \
         fonts-ipafont-gothic; do
  want "$p"
done

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need+=(wine wine32)
else
  want wine
  want wine32:i386
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "install-deps: installing ${need[*]}"
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
else
  echo "install-deps: everything is present"
fi
