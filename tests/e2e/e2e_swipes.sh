#!/usr/bin/env bash
# KM27.exe started with auto start converts three swipes into keystrokes in
# the focused target window, each typed exactly in the key-data format.
source "$(dirname "$0")/e2e_lib.sh"

e2e_settings 31 101
e2e_reader 31
e2e_start_km27
e2e_wait_converting
winctl wait TfrmMain 'ORVANE KM-27' 5000 || e2e_fail "no main window titled by the language file"
winctl visible TfrmMain 'ORVANE KM-27' && e2e_fail "the main window shows although the converter started"
e2e_start_target

sim swipe 0:ABC123 0:98765432 >/dev/null
e2e_expect_text 'HaABC123./b7654\r\n' 10 || e2e_fail "first swipe"
sim swipe 0:xyz-9 0:1234 >/dev/null
e2e_expect_text 'HaABC123./b7654\r\nHaxyz-9./b34\r\n' 10 || e2e_fail "second swipe"
# Track 2 shorter than the block's start: its header only.
sim swipe 0:Q 0:12 >/dev/null
e2e_expect_text 'HaABC123./b7654\r\nHaxyz-9./b34\r\nHaQ./b\r\n' 10 || e2e_fail "third swipe"

kill -0 "$E2E_KM27" 2>/dev/null || e2e_fail "KM27.exe ended"
echo "PASS: three swipes typed exactly into the focused window"
