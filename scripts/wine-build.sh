# Sourced by the scripts that run KM27.exe under Wine: picks the build this
# host can run. The 32-bit build (the release default) where the host runs
# 32-bit programs, the 64-bit one where it does not (scripts/host32.sh;
# KM27_HOST32=0 picks the 64-bit one anywhere). Sets KM27_HOST32,
# km27_preset (windows | windows64) and km27_wine_arch (win32 | win64).
KM27_HOST32=$("$(dirname "${BASH_SOURCE[0]}")/host32.sh") || return 1
export KM27_HOST32
if [ "$KM27_HOST32" = 1 ]; then
  km27_preset=windows km27_wine_arch=win32
else
  km27_preset=windows64 km27_wine_arch=win64
fi
# One line that says which build runs, for the log.
km27_wine_build_line() {
  if [ "$KM27_HOST32" = 1 ]; then
    echo "Running the 32-bit KM27.exe (build/windows) under Wine"
  else
    echo "This host does not run 32-bit programs: running the 64-bit KM27.exe (build/windows64) under 64-bit Wine"
  fi
}
