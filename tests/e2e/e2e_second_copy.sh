#!/usr/bin/env bash
# A second KM27.exe while the first sits in the tray: the "already running"
# message box (Japanese, readable on any system), no tray icon and no window of its own, no
# settings touched, and it ends once the box is closed. The first copy goes on.
source "$(dirname "$0")/e2e_lib.sh"

e2e_settings 33 101
e2e_reader 33
e2e_start_km27
e2e_wait_converting
[ "$(winctl count TCoolTrayIconHandler)" = 1 ] || e2e_fail "the first copy has no tray icon window"
ini_before=$(stat -c '%Y %s' "$E2E_WORK/KM27.ini")

(cd "$E2E_WORK" && exec $E2E_RUN "$E2E_WORK/KM27.exe") >"$E2E_WORK/second.out" 2>&1 &
second=$!
E2E_PIDS+=($second)

box=$(winctl box-utf8 '*' 15000) || e2e_fail "the second copy showed no message"
# Caption and text as written, on a system whose ANSI code page is not 932.
[ "$(echo "$box" | head -n 1)" = "２重起動はできません" ] ||
  e2e_fail "not the already-running caption: $(echo "$box" | head -n 1)"
grep -qF "ORVANE KM-27はすでに起動されています。" <<<"$box" ||
  e2e_fail "not the already-running text: $box"
[ "$(winctl count TCoolTrayIconHandler)" = 1 ] || e2e_fail "the second copy made a tray icon window"
[ "$(winctl count TfrmMain)" = 1 ] || e2e_fail "the second copy made a main window"
winctl boxok '*'

for _ in $(seq 1 100); do
  kill -0 "$second" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$second" 2>/dev/null && e2e_fail "the second copy did not end after its message"
[ "$(stat -c '%Y %s' "$E2E_WORK/KM27.ini")" = "$ini_before" ] || e2e_fail "the settings file was touched"
kill -0 "$E2E_KM27" 2>/dev/null || e2e_fail "the first copy ended"
winctl visible TfrmMain 'ORVANE KM-27' && e2e_fail "the first copy's main window was made visible"
[ "$(winctl count TCoolTrayIconHandler)" = 1 ] || e2e_fail "the first copy lost its tray icon window"
echo "PASS: the second copy told the user, made no windows and ended; the first runs on"
