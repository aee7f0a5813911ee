# Sourced by wine-run.sh and wine-fixture.sh with $state set: the Wine
# environment of one build's state dir. Sets $arch (win32 or win64, as
# wine-fixture.sh start recorded it) and $wine, the loader to run.
arch=$(cat "$state/winearch" 2>/dev/null || echo win32)
export WINEPREFIX="$state/prefix" WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# A 64-bit prefix goes to the 64-bit loader itself: Debian's wine wrapper
# takes the 32-bit one wherever it is installed.
wine=wine
if [ "$arch" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi
