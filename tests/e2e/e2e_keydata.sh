#!/usr/bin/env bash
# The Key Data page of the options dialog on KM27.exe: a header typed into
# its "Other" box, the first track's blocks cleared and a new block added
# (characters 3 to 6 with a block header and footer), OK saves the format,
# and a swipe from the reader simulator is then typed in the new format.
# Screenshots of both sub-pages go to $KM27_BUILD_DIR/screens/.
source "$(dirname "$0")/e2e_lib.sh"

display=":$(cat "$KM27_WINE_DIR/display")"
# The "Block Format" tab of the Key Data page, from the dialog's client origin.
block_format_tab=(154 198)

e2e_settings 38 101 plain
sed -i 's/^AutoStart=1/AutoStart=0/' "$E2E_WORK/KM27.ini"
e2e_reader 38
e2e_start_km27
e2e_wait_main_window 15 || e2e_fail "the main window is not shown without auto start"

e2e_show_option
winctl command TfrmOption '*' ToolbarWindow32 4 || e2e_fail "no tool bar"
sleep 0.5

# ---- header: "Other" focuses its box, the key code button shows beside it ----
winctl click TfrmOption '*' 'Other' || e2e_fail "no \"Other\" choice"
key_code_shown() { winctl children TfrmOption '*' | grep -qP '^Button\tKey Code\tenabled\tvisible$'; }
for _ in $(seq 1 50); do
  key_code_shown && break
  sleep 0.1
done
key_code_shown || e2e_fail "the key code button did not show beside the header box"
winctl type TfrmOption '*' 'H' || e2e_fail "could not type into the header box"
sleep 0.5
e2e_shot option-keydata-format

# ---- blocks: the first track's cleared, one added ----
read -r ox oy < <(winctl origin TfrmOption '*')
DISPLAY=$display xdotool mousemove $((ox + block_format_tab[0])) $((oy + block_format_tab[1])) click 1 mousemove 0 0 2>/dev/null
for _ in $(seq 1 50); do
  winctl children TfrmOption '*' | grep -qP '^Button\tSelect Read Data\t[a-z]+\tvisible$' && break
  sleep 0.1
done
winctl children TfrmOption '*' | grep -qP '^Button\tSelect Read Data\t[a-z]+\tvisible$' ||
  { e2e_shot keydata-failed; e2e_fail "the \"Block Format\" sub-page did not show (screens/keydata-failed.png)"; }
winctl click TfrmOption '*' 'Clear' || e2e_fail "no Clear button"
e2e_answer_box 'Clear data?'
winctl click TfrmOption '*' 'All Data' || e2e_fail "no All Data box"
winctl settext TfrmOption '*' 'Start Position' 3 || e2e_fail "no start box"
winctl settext TfrmOption '*' 'Digit' 4 || e2e_fail "no digit box"
winctl settext TfrmOption '*' '4: Block Header' '<' || e2e_fail "no block header box"
winctl settext TfrmOption '*' '6: Block Footer' '>' || e2e_fail "no block footer box"
sleep 0.3
winctl click TfrmOption '*' 'Add' || e2e_fail "no Add button"
sleep 0.5
e2e_shot option-keydata-blocks

e2e_ok_option
ini=$(tr -d '\r' <"$E2E_WORK/KM27.ini")
section() { echo "$ini" | awk -v s="[$1]" '$0 == s { on = 1; next } /^\[/ { on = 0 } on && NF'; }
[ "$(section KeyData | tr '\n' ' ')" = "Header=H TrackSeparator=/ Terminator=[ENTER] BlockNum=2 " ] ||
  e2e_fail "KM27.ini [KeyData]: $(section KeyData | tr '\n' ' ')"
[ "$(section BlockData:2 | sort | tr '\n' ' ')" = "AllData=0 BlockFooter=> BlockHeader=< Digit=4 Start=3 Track=1 " ] ||
  e2e_fail "KM27.ini [BlockData:2]: $(section BlockData:2 | tr '\n' ' ')"
e2e_log "the page saved header H and the block 3..6 of track 1 with < and >"

# ---- a swipe in the new format ----
winctl click TfrmMain 'ORVANE KM-27' 'Start' || e2e_fail "no Start button"
e2e_wait_converting
e2e_start_target
sim swipe 0:ABCDEFG 0:12345 >/dev/null
e2e_expect_text 'H<CDEF>/12345\r\n' 10 || e2e_fail "the swipe was not typed in the new format"
echo "PASS: a block added on the Key Data page is typed as the page shows it"
