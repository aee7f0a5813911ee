#!/usr/bin/env bash
# The options dialog's Target Window page in "ProbeMode": two other programs
# brought to the front in turn are listed once each, while the dialog and the
# main window, in front as well, never are. Then a row is picked and locked,
# and OK stores it in KM27.ini. Screenshots of the page (unlocked and locked)
# and of the main window afterwards go to $KM27_BUILD_DIR/screens/ for a
# person to look at.
source "$(dirname "$0")/e2e_lib.sh"

shots="$KM27_BUILD_DIR/screens"
mkdir -p "$shots"
display=":$(cat "$KM27_WINE_DIR/display")"
shot() { import -display "$display" -window root "$shots/$1.png" || e2e_fail "no screenshot $1"; }

# wait_for <seconds> <command...>: until the command succeeds, for that long
# by the clock (each try starts a Wine process, which may take a while).
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  while :; do
    "$@" && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

OPT=(TfrmOption Option)
rows() { winctl rows "${OPT[@]}"; }
# How many rows list a window of that class and title.
rows_of() { rows | awk -F'\t' -v c="$1" -v t="$2" '$3 == c && $4 == t' | wc -l; }
listed() { [ "$(rows_of "$1" "$2")" -ge 1 ]; }
in_front() { [ "$(winctl foreground)" = "$1"$'\t'"$2" ]; }

e2e_settings 36 101
sed -i 's/^AutoStart=1/AutoStart=0/; s/^Release=Standard/Release=ProbeMode/' "$E2E_WORK/KM27.ini"
e2e_start_km27
wait_for 20 winctl visible TfrmMain 'ORVANE KM-27' || e2e_fail "the main window is not shown"

winctl click TfrmMain 'ORVANE KM-27' 'Show Option' || e2e_fail "no option button on the main window"
wait_for 10 winctl visible "${OPT[@]}" || e2e_fail "the options dialog did not open"
# The third tool bar button, "Target", shows the page.
winctl command "${OPT[@]}" ToolbarWindow32 3 || e2e_fail "no tool bar in the options dialog"
wait_for 10 winctl rows "${OPT[@]}" >/dev/null || e2e_fail "no window list in the options dialog"

start_target() {
  $E2E_RUN "$E2E_BIN/km27target.exe" "$(winepath_of "$E2E_WORK/$1.txt")" "$2" >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  winctl wait KM27Target "$2" 15000 || e2e_fail "the window \"$2\" did not appear"
}
start_target a 'Target A'
start_target b 'Target B'

# Each window in turn stays in front for at least two sampling ticks (500 ms).
front() {
  winctl front "$1" "$2"
  wait_for 10 in_front "$1" "$2" || e2e_fail "\"$2\" did not come to the front ($(winctl foreground))"
}
for round in 1 2 3; do
  for t in 'Target A' 'Target B'; do
    front KM27Target "$t"
    wait_for 10 listed KM27Target "$t" || e2e_fail "\"$t\" in front is not listed: $(rows)"
    sleep 0.6
  done
  front TfrmMain 'ORVANE KM-27'
  sleep 1.2
  front "${OPT[@]}"
  sleep 1.2
done

echo "window list:"
rows | sed 's/^/  /'
for t in 'Target A' 'Target B'; do
  [ "$(rows_of KM27Target "$t")" = 1 ] || e2e_fail "\"$t\" is not listed exactly once"
done
[ "$(rows_of TfrmOption Option)" = 0 ] || e2e_fail "the options dialog listed itself"
[ "$(rows_of TfrmMain 'ORVANE KM-27')" = 0 ] || e2e_fail "the main window was listed"
rows | awk -F'\t' '{ n[$2]++ } END { for (h in n) if (n[h] > 1) exit 1 }' || e2e_fail "a handle is listed twice"
# The list keeps the windows after they close; without them the whole
# dialog shows on the screenshots.
for t in 'Target A' 'Target B'; do
  winctl close KM27Target "$t"
  winctl gone KM27Target "$t" 10000 || e2e_fail "\"$t\" did not close"
done
front "${OPT[@]}"
sleep 0.5
shot target-window

# Pick "Target A" and lock it; the group shows the lock, its edits go grey.
children() { winctl children "${OPT[@]}"; }
title_picked() { children | grep -q $'^Edit\tTarget A\t'; }
group_locked() { children | grep -q 'Target Window Lock ( Locked! )'; }
dialog_closed() { ! winctl visible "${OPT[@]}"; }
row=$(rows | awk -F'\t' '$4 == "Target A" { print NR - 1; exit }')
winctl select "${OPT[@]}" "$row" || e2e_fail "could not select row $row"
wait_for 10 title_picked || e2e_fail "picking the row did not fill the title: $(children)"
winctl click "${OPT[@]}" 'Target Window Lock' || e2e_fail "no lock button"
wait_for 10 group_locked || e2e_fail "the group does not show the lock: $(children)"
children | grep -q $'^Edit\tTarget A\tdisabled' || e2e_fail "the locked title can still be edited: $(children)"
sleep 0.3
shot target-window-locked

winctl click "${OPT[@]}" OK || e2e_fail "no OK button"
winctl box '*' 15000 >/dev/null || e2e_fail "OK did not report the save"
winctl boxok '*'
wait_for 10 dialog_closed || e2e_fail "OK did not close the options dialog"
ini=$(tr -d '\r' <"$E2E_WORK/KM27.ini" | sed -n '/^\[TargetWindow\]/,/^\[/p')
for want in CheckHWND=1 ClassName=KM27Target 'WindowTitle=Target A' TargetLock=1; do
  grep -qx "$want" <<<"$ini" || e2e_fail "KM27.ini lacks $want: $ini"
done
# The main window with its setup values, the target among them.
front TfrmMain 'ORVANE KM-27'
sleep 0.3
shot target-window-main
echo "PASS: each other window listed once, the program's own never; the locked choice is stored (screens in $shots)"
