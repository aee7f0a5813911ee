#!/usr/bin/env bash
# The options dialog of KM27.exe: "Show Option" from the main window, the
# connection test finds the reader simulator's port among several listed COM
# ports (the others have no device), OK writes the port into KM27.ini; the
# reader's power-on setting is switched on; the desktop and start-up
# shortcuts appear in the user's Shell Folders, a second
# start-up shortcut leaves the first file as it was, and deleting removes it.
source "$(dirname "$0")/e2e_lib.sh"

fake_ports=(51 52)
desktop_link=""
startup_link=""
option_cleanup() {
  local p
  for p in "${fake_ports[@]}"; do
    $E2E_RUN reg delete 'HKLM\Hardware\DeviceMap\SerialComm' /v "KM27Fake$p" /f >/dev/null 2>&1
  done
  [ -n "$desktop_link" ] && rm -f "$desktop_link"
  [ -n "$startup_link" ] && rm -f "$startup_link"
  e2e_cleanup
}
trap option_cleanup EXIT

shots="$KM27_BUILD_DIR/screens"
mkdir -p "$shots"
display=":$(cat "$KM27_WINE_DIR/display")"
shot() { import -display "$display" -window root "$shots/$1.png" || e2e_fail "no screenshot $1"; }

# The unix path of a file in a folder of the user's Shell Folders, in
# $folder_file. Called in this shell, not in $(...), so that a failure ends
# the test. Each answer takes a Wine process of its own, which a loaded
# machine may fail to start: each is asked up to three times.
folder_file=""
shell_folder_file() {
  local folder="" try
  folder_file=""
  for try in 1 2 3; do
    folder=$($E2E_RUN reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v "$1" |
      tr -d '\r' | awk -F'REG_SZ' 'NF > 1 { sub(/^[ \t]+/, "", $2); print $2 }')
    [ -n "$folder" ] && break
    sleep 1
  done
  [ -n "$folder" ] || e2e_fail "no \"$1\" in Shell Folders"
  for try in 1 2 3; do
    folder_file=$($E2E_RUN winepath -u "$folder\\$2" 2>/dev/null | tr -d '\r')
    [ -n "$folder_file" ] && return 0
    sleep 1
  done
  e2e_fail "no unix path for \"$folder\\$2\""
}

e2e_settings 51 101
sed -i 's/^AutoStart=1/AutoStart=0/' "$E2E_WORK/KM27.ini"
for p in "${fake_ports[@]}"; do
  $E2E_RUN reg add 'HKLM\Hardware\DeviceMap\SerialComm' /v "KM27Fake$p" /t REG_SZ /d "COM$p" /f >/dev/null 2>&1
done
e2e_reader 36
e2e_start_km27
for _ in $(seq 1 100); do
  winctl visible TfrmMain 'ORVANE KM-27' && break
  sleep 0.1
done
winctl visible TfrmMain 'ORVANE KM-27' || e2e_fail "the main window is not shown"

# ---- every page, for a person to look at ($KM27_BUILD_DIR/screens) ----
e2e_show_option
for page in 1 2 4 5; do  # 3, the target window page, is hidden outside "ProbeMode"
  winctl command TfrmOption '*' ToolbarWindow32 $page || e2e_fail "no tool bar"
  sleep 0.5
  shot "option-$page"
done
# The second sub-page of the About page ("Key Code List"), by its tab.
read -r ox oy < <(winctl origin TfrmOption '*')
DISPLAY=$display xdotool mousemove $((ox + 160)) $((oy + 80)) click 1 mousemove 0 0 2>/dev/null
sleep 0.5
shot option-5-keys

# ---- connection test and OK ----
winctl command TfrmOption '*' ToolbarWindow32 2 || e2e_fail "no tool bar"
winctl click TfrmOption '*' 'Connect Test' || e2e_fail "no Connect Test button"
# The simulated reader starts without its power-on setting: the test switches
# it on and says so, in a box while the main window is on screen.
e2e_answer_box 'Changed Power ON Setting.'
result=""
for _ in $(seq 1 200); do
  result=$(winctl children TfrmOption '*' | cut -f2 | grep '^Test result' | head -1)
  [ -n "$result" ] && break
  sleep 0.1
done
[ "$result" = "Test result : OK (COM36)" ] ||
  e2e_fail "connection test result: \"$result\"; the dialog shows: $(winctl children TfrmOption '*' | cut -f2 | grep . | tr '\n' '|')"
shot option-2-tested
sim wait-rx 02 56 52 1000 | grep -q '^OK' || e2e_fail "the reader was not asked for its version"
e2e_ok_option
port=$(tr -d '\r' <"$E2E_WORK/KM27.ini" | sed -n 's/^Port=//p')
[ "$port" = 36 ] || e2e_fail "KM27.ini has Port=$port, not the port the reader answered on"
e2e_log "connection test found COM36 behind COM51 and COM52; OK saved Port=36"

# ---- shortcuts ----
shell_folder_file Desktop 'KM-27.Lnk'
desktop_link=$folder_file
shell_folder_file Startup 'KM-27 Serial to Key Software.Lnk'
startup_link=$folder_file
rm -f "$desktop_link" "$startup_link"
e2e_show_option
winctl command TfrmOption '*' ToolbarWindow32 1
winctl click TfrmOption '*' 'Set Desktop Shortcut Icon' || e2e_fail "no desktop shortcut button"
e2e_answer_box 'Set desktop icon?'
e2e_answer_box 'The shortcut was created.'
[ -s "$desktop_link" ] || e2e_fail "no desktop shortcut at $desktop_link"

winctl click TfrmOption '*' 'Set Startup Application' || e2e_fail "no start-up button"
e2e_answer_box 'Set to start up?'
e2e_answer_box 'Completed'
[ -s "$startup_link" ] || e2e_fail "no start-up shortcut at $startup_link"
printf 'kept' >"$startup_link"
winctl click TfrmOption '*' 'Set Startup Application'
e2e_answer_box 'Set to start up?'
e2e_answer_box 'Completed'
[ "$(cat "$startup_link")" = kept ] || e2e_fail "the second start-up shortcut replaced the first"

winctl click TfrmOption '*' 'Delete Startup' || e2e_fail "no delete button"
e2e_answer_box 'Cancel start up?'
e2e_answer_box 'Completed'
[ -e "$startup_link" ] && e2e_fail "Delete Startup left $startup_link"
echo "PASS: options dialog found the reader, saved the port, made and removed the shortcuts"
