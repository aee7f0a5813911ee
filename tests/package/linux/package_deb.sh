#!/usr/bin/env bash
# The Debian package as a user meets it: its control fields and contents
# against the files it is made from, installed with dpkg, started from its
# menu entry by an ordinary user on a display of its own (the first run opens
# the setup wizard and the settings go to the user's configuration folder),
# and removed again without a trace but the user's settings.
#
# Installing needs root (or sudo without a password); without either, only
# the package itself is checked and the test reports itself skipped (77).
# Environment: KM27_BUILD_DIR (the linux build), KM27_SOURCE_DIR.
set -euo pipefail
src=${KM27_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
build=${KM27_BUILD_DIR:?the linux build folder}
status=0
fail() { echo "FAIL: $*"; status=1; }
die() { echo "FAIL: $*"; exit 1; }

tmp=$(mktemp -d)
sudo=""
installed=""
xvfb=""
km27=""
cleanup() {
  for p in $km27 $xvfb; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  [ -n "$installed" ] && $sudo dpkg -r km27 >/dev/null 2>&1
  rm -rf "$tmp"
}
trap cleanup EXIT

# ---- the package file ----
cmake --build "$build" -j "${KM27_JOBS:-2}" --target package >"$tmp/package.log" 2>&1 || { tail -20 "$tmp/package.log"; die "cmake --build --target package failed"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
datadir=$(sed -n 's/^KM27_INSTALLED_DATA_DIR:PATH=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="$build/package/km27_${version}_${arch}.deb"
[ -f "$deb" ] || die "no $deb (the package is named after the project version $version): $(ls "$build/package")"

field() { dpkg-deb -f "$deb" "$1"; }
for want in Package=km27 Version="$version" Architecture="$arch" Section=utils; do
  [ "$(field "${want%%=*}")" = "${want#*=}" ] || fail "${want%%=*} is \"$(field "${want%%=*}")\", not \"${want#*=}\""
done
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -ge 2 ] || fail "no long description: $(field Description)"

# Contents: exactly what the install rules take, from where they take it.
dpkg-deb -x "$deb" "$tmp/root"
dpkg-deb -c "$deb" >"$tmp/contents"
declare -A from=()
from[usr/bin/km27]=""
for f in "$src"/data/*.ni "$src"/data/*.rlf; do from[${datadir#/}/$(basename "$f")]=$f; done
from[usr/share/applications/km27.desktop]=$src/app/linux/km27.desktop
from[usr/share/doc/km27/user-guide.md]=$src/docs/user-guide.md
if [ -d "$src/data/icons/hicolor" ]; then
  while IFS= read -r f; do from[usr/share/icons/hicolor/${f#"$src/data/icons/hicolor/"}]=$f; done \
    < <(find "$src/data/icons/hicolor" -type f)
fi
metainfo=$(cd "$tmp/root" && find usr/share/metainfo -name '*.metainfo.xml' 2>/dev/null || true)
[ "$(echo "$metainfo" | grep -c .)" = 1 ] || die "not one AppStream file: ${metainfo:-none}"
from[$metainfo]=""
(cd "$tmp/root" && find . ! -type d | sed 's|^\./||' | sort) >"$tmp/packaged"
printf '%s\n' "${!from[@]}" | sort >"$tmp/expected"
diff "$tmp/expected" "$tmp/packaged" >"$tmp/diff" || fail "contents differ from the install rules (< missing, > unexpected): $(cat "$tmp/diff")"
for f in "${!from[@]}"; do
  [ -n "${from[$f]}" ] && [ -f "$tmp/root/$f" ] && { cmp -s "${from[$f]}" "$tmp/root/$f" || fail "$f is not a copy of ${from[$f]}"; }
done
grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/km27$' "$tmp/contents" || fail "usr/bin/km27 is not an executable of root: $(grep 'usr/bin' "$tmp/contents")"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$tmp/root/$metainfo" >"$tmp/as.log" 2>&1 || fail "AppStream data invalid: $(cat "$tmp/as.log")"
else
  echo "note: appstreamcli missing (Debian package appstream): the AppStream file is not validated"
fi

# Depends: computed from the program, so every library it links names the
# package that owns it.
if [ -f "$tmp/root/usr/bin/km27" ]; then
  depends=$(field Depends)
  [ -n "$depends" ] || fail "no Depends"
  depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (:].*//; /^$/d')
  # The libraries of this machine's own architecture, where the program runs.
  cache=$(ldconfig -p | grep -F "$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo /)")
  for lib in $(readelf -d "$tmp/root/usr/bin/km27" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(awk -v l="$lib" '$1 == l { print $NF; exit }' <<<"$cache")
    owner=$(dpkg-query -S "$path" 2>/dev/null || dpkg-query -S "$(readlink -f "$path")" 2>/dev/null) || { fail "$lib ($path) belongs to no package"; continue; }
    owner=${owner%%:*}
    grep -qxF "$owner" <<<"$depends_names" ||
      fail "Depends lacks $owner (for $lib): $depends"
  done
fi
[ $status = 0 ] || exit 1
echo "PASS: $(basename "$deb"): fields, contents and Depends"

# ---- installed on this machine ----
if [ "$(id -u)" != 0 ]; then
  if sudo -n true 2>/dev/null; then sudo="sudo -n"; else
    echo "SKIP: installing needs root or sudo without a password; the package file itself passed"
    exit 77
  fi
fi
if dpkg-query -W -f='${Status}' km27 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIP: km27 is installed on this machine already; the test leaves that installation alone"
  exit 77
fi
mapfile -t paths < <(sed -n 's|.* \./\(.*[^/]\)/\{0,1\}$|/\1|p' "$tmp/contents")
declare -A existed=()
for p in "${paths[@]}"; do [ -e "$p" ] && existed[$p]=1; done
installed=1
$sudo dpkg -i "$deb" >"$tmp/dpkg-i.log" 2>&1 || die "dpkg -i failed: $(cat "$tmp/dpkg-i.log")"
dpkg -L km27 >"$tmp/listed"

# Started as the menu does, by a user who cannot write to /usr/bin, with a
# home, configuration and runtime folder of its own.
home=$tmp/home config=$tmp/config runtime=$tmp/runtime
mkdir -p "$home" "$config" "$runtime"
chmod 0700 "$runtime"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown nobody "$home" "$config" "$runtime"
  chmod 0755 "$tmp"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do grep -q . "$tmp/display" && break; sleep 0.2; done
display=$(head -1 "$tmp/display")
[ -n "$display" ] || die "Xvfb did not start: $(cat "$tmp/xvfb.log")"
menu_exec=$(sed -n 's/^Exec=//p' /usr/share/applications/km27.desktop | sed 's/ *%[a-zA-Z]//g')
[ "$(command -v "${menu_exec%% *}")" = /usr/bin/km27 ] || fail "the menu entry's \"$menu_exec\" is not /usr/bin/km27"
(cd "$home" && exec "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" \
  XDG_RUNTIME_DIR="$runtime" DISPLAY=":$display" GDK_BACKEND=x11 NO_AT_BRIDGE=1 LANG=C.UTF-8 \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/no-bus" $menu_exec) >"$tmp/km27.log" 2>&1 &
km27=$!

caption=$(awk -F= '{ sub(/\r$/, "") } /^\[/ { s = $0 } s == "[Form.Caption]" && $1 == "frmWizard" { print $2 }' "$src/data/English.rlf")
[ -n "$caption" ] || die "no frmWizard caption in data/English.rlf"
wizard=""
for _ in $(seq 1 150); do
  wizard=$(DISPLAY=":$display" xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null | head -1) && [ -n "$wizard" ] && break
  kill -0 "$km27" 2>/dev/null || break
  sleep 0.2
done
[ -n "$wizard" ] || fail "no window \"$caption\" within 30 s; km27 said: $(cat "$tmp/km27.log")"
settings=$config/km27/KM27.ini
cmp -s "$settings" "$datadir/KM27.ni" || fail "$settings is not a copy of $datadir/KM27.ni: $(ls -la "$config/km27" 2>&1)"
[ "$(stat -c %a "$config/km27")" = 700 ] || fail "$config/km27 is open to others"
[ ! -e /usr/bin/KM27.ini ] || fail "settings written beside the installed program"
kill "$km27" 2>/dev/null || true
for _ in $(seq 1 50); do kill -0 "$km27" 2>/dev/null || break; sleep 0.1; done
kill -9 "$km27" 2>/dev/null || true
wait "$km27" 2>/dev/null || true
km27=""

# Removed: every file and folder the package brought is gone, the user's
# settings stay.
$sudo dpkg -r km27 >"$tmp/dpkg-r.log" 2>&1 || die "dpkg -r failed: $(cat "$tmp/dpkg-r.log")"
installed=""
while IFS= read -r p; do
  if [ "$p" != /. ] && [ -z "${existed[$p]:-}" ] && [ -e "$p" ]; then fail "$p is still there after dpkg -r"; fi
done <"$tmp/listed"
[ -f "$settings" ] || fail "dpkg -r took the user's $settings"
[ $status = 0 ] && echo "PASS: installed, first run from the menu entry (wizard, settings in \$XDG_CONFIG_HOME/km27), removed"
exit $status
