#!/usr/bin/env bash
# km27 started with auto start types card reads into the focused window
# exactly in the key-data format (the rules and examples of the user guide):
# tracks in use, a track with a read error left out with its separators kept,
# block portions, a chord, symbols and case, a character the keyboard layout
# lacks, NAK for a bad block check, reads in order. Then the reader is
# unplugged (the converter stops and says so), plugged in again, and Start
# makes it type again; a second copy brings the first one's window forward.
source "$(dirname "$0")/e2e_linux_lib.sh"

M="ORVANE KM-27"
e2e_settings 31 101
# The header as a chord: Shift held while h is pressed types "H".
sed -i 's/^Header=H\r$/Header=([SHIFT]h)\r/' "$E2E_WORK/KM27.ini"
grep -q '^Header=(\[SHIFT\]h)' "$E2E_WORK/KM27.ini" || e2e_fail "the chord header was not set"
e2e_reader 31
e2e_start_km27
e2e_wait_converting
e2e_start_target

typed=""
swipe() {  # swipe <expected addition> <slots...>
  local add=$1
  shift
  sim swipe "$@" >/dev/null
  typed+=$add
  e2e_expect_text "$typed" 10 || e2e_fail "swipe $*"
}
swipe 'HaABC123./b7654\n' 0:ABC123 0:98765432
# Track 2 shorter than the block's start: its header only.
swipe 'HaQ./b\n' 0:Q 0:12
# A track read with an error is left out; the separator stays.
swipe 'Haxyz-9./\n' 0:xyz-9 1:55555
swipe 'Ha~!@#$%%^&*()_+{}|:"<>?aZ./b3456\n' '0:~!@#$%^&*()_+{}|:"<>?aZ' 0:123456
# A character a US keyboard has no key for: in the kana mode (0E ... 0F)
# "1" is the half-width katakana A (code page 932 B1, U+FF71).
swipe 'Ha\xef\xbd\xb1t./b\n' "0:$(printf '\x0e1\x0ft')" 0:1
# A bad block check is refused with NAK and typed nowhere.
sim clear >/dev/null
sim badbcc CR00ABC >/dev/null
sim wait-rx 15 5000 | grep -q '^OK' || e2e_fail "no NAK for a bad block check"
sleep 1
e2e_expect_text "$typed" 1 || e2e_fail "a frame with a bad block check was typed"
e2e_log "swipes typed exactly"

# ---- unplugged and plugged in again ----
sim vanish >/dev/null
e2e_answer "Test result : Error" OK
e2e_window_wait "$M" 10 || e2e_fail "the main window is not shown after the error"
linctl texts "$M" | grep -P '^push button\tStart\t|^toggle button\tStart\t' | grep -q $'\tenabled' ||
  e2e_fail "Start is not available again: $(linctl texts "$M")"
# A second copy says so, ends, and brings the first copy's main window above
# the target window (xwininfo lists the topmost first).
topmost() { xwininfo -root -children | grep -oE '"(ORVANE KM-27|KM27 Target)"' | head -1; }
e2e_start_target
for w in $(xdotool search --name '^KM27 Target$'); do xdotool windowraise "$w"; done
sleep 0.3
[ "$(topmost)" = '"KM27 Target"' ] || e2e_fail "the target window is not above the main window"
first=$E2E_KM27
e2e_start_km27
e2e_answer "$(printf '\xe3\x81\xaf\xe3\x81\x99\xe3\x81\xa7\xe3\x81\xab\xe8\xb5\xb7\xe5\x8b\x95')" OK  # "はすでに起動"
e2e_wait_ended 10 || e2e_fail "the second copy did not end"
[ "$(topmost)" = '"ORVANE KM-27"' ] || e2e_fail "the second copy did not bring the main window forward"
kill -0 "$first" 2>/dev/null || e2e_fail "the first copy ended with the second"
E2E_KM27=$first
sim reconnect >/dev/null
sim clear >/dev/null
linctl click "$M" Start || e2e_fail "no Start button"
e2e_wait_converting
e2e_start_target
typed=""
swipe 'HaAGAIN./b3456\n' 0:AGAIN 0:123456
kill -0 "$E2E_KM27" 2>/dev/null || e2e_fail "km27 ended"

echo "PASS: card reads typed exactly into the focused window; a bad block check refused; the reader unplugged and plugged in again; a second copy brings the first forward"
