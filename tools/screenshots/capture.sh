#!/usr/bin/env bash
# Pictures of KM27.exe for the README and the user guide, taken under Wine on
# a display of its own (Xvfb): the setup wizard of a new installation, the
# main window, the tray menu, the pages of the options dialog and the
# communication monitor, each cropped to its window. The reader simulator
# plays the reader, so the wizard finds it and reads a test swipe.
#
#   tools/screenshots/capture.sh [--dpi N] [--japanese] [--out DIR] [--only LIST]
#
#   --dpi N       the screen's resolution (Wine's LogPixels); default 96
#   --japanese    Japanese.rlf on a Japanese system: ANSI code page 932 and a
#                 Japanese font (fonts-ipafont-gothic, scripts/install-deps.sh)
#   --out DIR     where the PNGs go; default docs/screenshots/<en|ja>[-<dpi>dpi]
#   --only LIST   comma-separated subset of: wizard,main,tray,option,monitor,target
#                 (target: the options dialog's Target Window page, which shows
#                 in "ProbeMode" only: the program is started again in it)
#
# Needs the native and the Windows build (scripts/build.sh all). The Wine
# prefix lives in build/screenshots-<arch> and is made on the first run.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
dpi=96 japanese="" out="" only="wizard,main,tray,option,monitor,target"
while [ $# -gt 0 ]; do
  case "$1" in
  --dpi) dpi=$2; shift 2 ;;
  --japanese) japanese=1; shift ;;
  --out) out=$2; shift 2 ;;
  --only) only=$2; shift 2 ;;
  *) echo "usage: $0 [--dpi N] [--japanese] [--out DIR] [--only wizard,main,tray,option,monitor,target]"; exit 2 ;;
  esac
done
variant=$([ -n "$japanese" ] && echo ja || echo en)$([ "$dpi" != 96 ] && echo "-${dpi}dpi")
out=${out:-$root/docs/screenshots/$variant}
mkdir -p "$out"
out=$(cd "$out" && pwd)
wants() { [[ ",$only," == *",$1,"* ]]; }

source "$root/scripts/wine-build.sh"
state=$root/build/screenshots-$km27_wine_arch
export KM27_WINE_DIR=$state KM27_BUILD_DIR=$root/build/$km27_preset KM27_NATIVE_BUILD_DIR=$root/build/native
export KM27_WINE_RUN=$root/cmake/wine-run.sh
# Wine takes the ANSI code page from the locale of its environment; the
# locale need not be installed on this machine.
[ -n "$japanese" ] && KM27_WINE_RUN="env LC_ALL=ja_JP.UTF-8 $KM27_WINE_RUN"
[ -x "$KM27_BUILD_DIR/bin/KM27.exe" ] && [ -x "$KM27_NATIVE_BUILD_DIR/tools/sim/km27sim" ] ||
  { echo "build first: scripts/build.sh $km27_preset"; exit 1; }
"$root/cmake/wine-fixture.sh" start "$state" "$km27_wine_arch" >/dev/null || exit 1
source "$root/tests/e2e/e2e_lib.sh"
trap 'e2e_cleanup; "$root/cmake/wine-fixture.sh" stop "$state" >/dev/null' EXIT
display=":$(cat "$state/display")"

# The resolution is read by every Wine program when it starts.
$E2E_RUN reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
[ "$(winctl dpi)" = "$dpi" ] || e2e_fail "Wine reports $(winctl dpi) dpi, not $dpi"
# There is no window manager on the display: Wine draws the title bars and
# frames itself, as Windows would.
$E2E_RUN reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
scale() { echo $((($1 * dpi + 48) / 96)); }

# shot <name> <window class> [title]: the window, frame included, as
# $out/<name>.png (8-bit palette where that loses nothing: small files).
shot() {
  local x y w h
  sleep 0.4  # the last paint after a page switch or a text change
  read -r x y w h < <(winctl rect "$2" "${3:-*}") || e2e_fail "no $2 window for $1"
  import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "PNG8:$out/$1.png" 2>/dev/null ||
    import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$1.png" ||
    e2e_fail "no screenshot $1"
  e2e_log "$out/$1.png (${w}x${h})"
}
# A failing step's whole-screen picture (e2e_lib).
e2e_shot() { import -display "$display" -window root "$out/failed-$1.png"; }

# caption <English> <Japanese>: a control's text in the language shown, for
# winctl (Japanese as its code page 932 bytes: hex:...).
caption() {
  if [ -n "$japanese" ]; then
    echo "hex:$(printf '%s' "$2" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n')"
  else
    echo "$1"
  fi
}

wait_visible() {
  for _ in $(seq 1 100); do
    winctl visible "$1" '*' && return 0
    sleep 0.1
  done
  e2e_fail "$1 did not show"
}

# The tray menu as a right click on the icon opens it (WM_TRAYNOTIFY, icon 1,
# WM_RBUTTONDOWN); with Shift+Ctrl held it offers the monitor too.
open_tray_menu() {
  DISPLAY=$display xdotool mousemove 600 400 2>/dev/null
  winctl post TCoolTrayIconHandler '*' 0x0800 1 0x0204 || e2e_fail "no tray icon window"
  for _ in $(seq 1 50); do
    [ "$(winctl count '#32768')" -ge 1 ] && return 0
    sleep 0.1
  done
  e2e_fail "the tray menu did not open"
}
close_tray_menu() {
  DISPLAY=$display xdotool key Escape 2>/dev/null
  for _ in $(seq 1 30); do
    [ "$(winctl count '#32768')" -ge 1 ] || return 0
    DISPLAY=$display xdotool mousemove 5 1000 click 1 2>/dev/null
    sleep 0.1
  done
}

e2e_reader 37
e2e_new_installation
if [ -n "$japanese" ]; then
  sed -i 's/^LanguageFile=.*\r$/LanguageFile=Japanese.rlf\r/' "$E2E_WORK/KM27.ni"
  grep -q $'^LanguageFile=Japanese.rlf\r$' "$E2E_WORK/KM27.ni" || e2e_fail "KM27.ni names no language file"
fi
e2e_wine_default_copy "$E2E_WORK/KM27.ni"

# ---- the first start: the setup wizard ----
# The texts of the wizard's controls (code page bytes as UTF-8).
wizard_texts() { winctl children TfrmWizard '*' | iconv -f CP932 -t UTF-8 -c; }
# wizard_wait <English> <Japanese> <seconds>: until a control shows the text.
wizard_wait() {
  local text
  text=$([ -n "$japanese" ] && echo "$2" || echo "$1")
  for _ in $(seq 1 $(($3 * 10))); do
    wizard_texts | grep -qF -- "$text" && return 0
    sleep 0.1
  done
  e2e_fail "the wizard never showed \"$text\"; it shows: $(wizard_texts | cut -f2 | grep . | tr '\n' '|')"
}
# The wizard as a first-time user goes through it: the connection test finds
# the simulator, a test swipe, "Manual Start Mode", Complete, OK.
e2e_start_km27
e2e_wizard_wait 20 || e2e_fail "the setup wizard did not appear"
sleep 0.5
wants wizard && shot wizard-1 TfrmWizard
winctl click TfrmWizard '*' "$(caption 'Connect Test' '接続テスト')" || e2e_fail "no Connect Test button"
wizard_wait "Test result : OK (COM37)" "テスト結果 : OK (COM37)" 30
wizard_wait $'Button\tNext\tenabled' $'Button\t次へ\tenabled' 10
wants wizard && shot wizard-1-found TfrmWizard
winctl click TfrmWizard '*' "$(caption 'Next' '次へ')"
wizard_wait "Swipe a card through the reader." "カードをリーダに通してください。" 10
sim swipe 0:4900123456789 0:1234567890 >/dev/null
wizard_wait "The card was read." "カードを読み取りました。" 10
wizard_wait $'Button\tNext\tenabled' $'Button\t次へ\tenabled' 10
wants wizard && shot wizard-2 TfrmWizard
winctl click TfrmWizard '*' "$(caption 'Next' '次へ')"
wizard_wait "Manual Start Mode" "手動起動モード" 10
winctl click TfrmWizard '*' "$(caption 'Manual Start Mode' '手動起動モード')" || e2e_fail "no Manual Start Mode"
wizard_wait $'Button\tComplete\tenabled' $'Button\t完了\tenabled' 10
wants wizard && shot wizard-3 TfrmWizard
winctl click TfrmWizard '*' "$(caption 'Complete' '完了')"
# "Save setup data" (OK): pressed until the wizard has gone.
winctl box '*' 15000 >/dev/null || e2e_fail "no box after Complete"
for _ in $(seq 1 50); do
  winctl visible TfrmWizard '*' || break
  winctl boxok '*'
  sleep 0.3
done
winctl visible TfrmWizard '*' && e2e_fail "the wizard stayed after Complete"
e2e_wait_main_window 20 || winctl visible TfrmMain '*' || e2e_fail "the main window is not shown"
wait_visible TfrmMain
DISPLAY=$display xdotool mousemove 5 1000 2>/dev/null
wants main && shot main TfrmMain

if wants tray; then
  open_tray_menu
  shot tray-menu '#32768'
  close_tray_menu
fi

if wants option; then
  winctl click TfrmMain '*' "$(caption 'Show Option' 'オプション')" || e2e_fail "no Show Option button"
  wait_visible TfrmOption
  sleep 1  # its first paint
  names=([1]=general [2]=communication [4]=keyboard [5]=about)
  for page in 1 2 4 5; do  # 3, the target window page, shows only in probe mode
    winctl command TfrmOption '*' ToolbarWindow32 $page || e2e_fail "no tool bar"
    shot "option-${names[$page]}" TfrmOption
  done
  winctl close TfrmOption '*'
fi

if wants monitor; then
  # Shift+Ctrl held while the icon is right-clicked.
  DISPLAY=$display xdotool keydown shift keydown ctrl 2>/dev/null
  open_tray_menu
  DISPLAY=$display xdotool keyup ctrl keyup shift 2>/dev/null
  read -r mx my mw mh < <(winctl rect '#32768')
  DISPLAY=$display xdotool mousemove $((mx + mw / 2)) $((my + $(scale 12))) click 1 2>/dev/null
  wait_visible TfrmComm
  # The converter started from the main window: its start-up check and a
  # swipe pass through the monitor.
  sim clear >/dev/null
  winctl click TfrmMain '*' "$(caption 'Start' '開始')" || e2e_fail "no Start button"
  e2e_wait_converting
  # The swipe is typed into a window of its own, which goes away before the
  # picture is taken.
  e2e_start_target
  sim swipe 0:4900123456789 0:1234567890 >/dev/null
  for _ in $(seq 1 100); do
    [ -s "$E2E_TARGET_OUT" ] && break
    sleep 0.1
  done
  sleep 0.5
  kill "${E2E_PIDS[-1]}" 2>/dev/null
  winctl gone KM27Target '*' 5000 >/dev/null
  shot monitor TfrmComm
fi
if wants target; then
  # Ended (the main window may be hidden in the tray while converting) and
  # started again.
  kill "$E2E_KM27" 2>/dev/null
  e2e_wait_ended 10 || e2e_fail "KM27.exe did not end"
  sed -i 's/^Release=.*\r$/Release=ProbeMode\r/; s/^AutoStart=1\r$/AutoStart=0\r/' "$E2E_WORK/KM27.ini"
  e2e_start_km27
  e2e_wait_main_window 20 || wait_visible TfrmMain
  winctl click TfrmMain '*' "$(caption 'Show Option' 'オプション')" || e2e_fail "no Show Option button"
  wait_visible TfrmOption
  winctl command TfrmOption '*' ToolbarWindow32 3 || e2e_fail "no tool bar"
  sleep 1  # the window list is sampled from the foreground
  shot option-target-window TfrmOption
fi
echo "screenshots of KM27.exe at $dpi dpi$([ -n "$japanese" ] && echo ", in Japanese") in $out"
