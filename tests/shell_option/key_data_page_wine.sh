#!/usr/bin/env bash
# The Key Data page of the options dialog under Wine; screenshots of its
# sub-pages go to $KM27_BUILD_DIR/screens/ for a person to look at
# (keydata-format.png, keydata-blocks.png, keydata-table.png,
# keydata-single-track.png).
#   key_data_page_wine.sh <key_data_page_wine.exe>
set -u
exe=$1
. "$KM27_SOURCE_DIR/tests/wine/shots.sh"
trap 'rm -rf "$KM27_SHOTS"' EXIT
"$KM27_WINE_RUN" "$KM27_WINE_DIR" "$exe" &
shots_watch $!
