# Screenshots for the Wine test programs that announce their windows
# (tests/wine/HoldForScreenshot.h), sourced by their scripts. The pictures go
# to $KM27_BUILD_DIR/screens/<name>.png for a person to look at.
#   shots_watch <pid>   takes every announced picture until the program ends;
#                       returns the program's exit status
shots_dir="$KM27_BUILD_DIR/screens"
mkdir -p "$shots_dir"
KM27_SHOTS=$(mktemp -d)
export KM27_SHOTS
shots_display=":$(cat "$KM27_WINE_DIR/display")"

shots_watch() {
  local pid=$1 marker name
  while kill -0 "$pid" 2>/dev/null; do
    for marker in "$KM27_SHOTS"/*.ready; do
      [ -e "$marker" ] || continue
      name=$(basename "$marker" .ready)
      sleep 0.3
      import -display "$shots_display" -window root "$shots_dir/$name.png" || echo "no screenshot $name"
      rm -f "$marker"
    done
    sleep 0.1
  done
  wait "$pid"
}
