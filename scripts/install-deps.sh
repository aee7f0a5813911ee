#!/usr/bin/env bash
# Installs, with apt only, what a fresh Debian machine lacks to build, run and
# test the project: native toolchain and GoogleTest, the MinGW-w64 i686 and
# x86_64 cross compilers, the 64-bit Wine loader (and the 32-bit one where
# this host runs 32-bit programs: scripts/host32.sh), Xvfb and the small X
# tools the Wine tests use, the SVG renderer that tools/icons/make-icons.sh
# draws the icons with, a Japanese font for the Japanese screenshots, and the
# Debian libraries the Linux program is built with (GTK 3, X11 with XTEST,
# libxkbcommon, the StatusNotifier tray and desktop notifications) with what
# its tests use: the package tools, a session bus and the accessibility bus
# that the end-to-end scripts read the windows through (tools/linctl).
# Idempotent: packages already present are not touched.
#
# A mirror can be in the middle of a sync: an index then fails to download
# ("Mirror sync in progress?"), or the i386 side lags behind the amd64 side
# that was already updated, so wine32 cannot be resolved. The update is tried
# again a few times with a pause, and an install that cannot be resolved is
# tried again from the release's own suite.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
host32=${KM27_HOST32:-$("$here/host32.sh")}

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed" || need+=("$1"); }

for p in cmake ninja-build g++ googletest libgtest-dev clang libclang-rt-14-dev \
         g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         mingw-w64-i686-dev \
         g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
         mingw-w64-x86-64-dev mingw-w64-tools \
         wine wine64 \
         xvfb xauth x11-utils xdotool imagemagick librsvg2-bin procps psmisc file \
         fonts-ipafont-gothic \
         pkg-config libgtk-3-dev libx11-dev libxtst-dev libxkbcommon-dev libxkbcommon-x11-dev \
         libayatana-appindicator3-dev libnotify-dev dpkg-dev appstream desktop-file-utils \
         x11-xkb-utils dbus-daemon at-spi2-core libatk-adaptor python3-pyatspi gir1.2-atspi-2.0; do
  want "$p"
done

if [ "$host32" = 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  want wine32:i386
fi

apt_update() {
  local try
  for try in 1 2 3 4 5; do
    local out status=0
    out=$($SUDO apt-get update -qq 2>&1) || status=$?
    [ -n "$out" ] && echo "$out" >&2
    # apt-get update exits 0 on some failed indexes; its warnings say so.
    if [ $status -ne 0 ] || grep -qE '^(E:|W: Failed|Err:)' <<<"$out"; then
      echo "install-deps: package index update failed (try $try of 5); waiting for the mirror" >&2
      sleep $((try * 10))
    else
      return 0
    fi
  done
  echo "install-deps: the package indexes are still not complete; going on with what there is" >&2
}

apt_install() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

if [ ${#need[@]} -eq 0 ]; then
  echo "install-deps: everything is present"
  exit 0
fi
echo "install-deps: installing ${need[*]}"
apt_update
if ! apt_install "${need[@]}"; then
  # The release's own suite holds versions that agree across architectures.
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ -z "$suite" ]; then
    echo "install-deps: the install failed and /etc/os-release names no release" >&2
    exit 1
  fi
  echo "install-deps: the install could not be resolved; trying again from the suite $suite" >&2
  apt_install -t "$suite" "${need[@]}"
fi
