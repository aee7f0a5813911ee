#!/usr/bin/env bash
# Takes the pictures under docs/screenshots/ again (README and user guide):
#   en/          English at 96 dpi: the setup wizard, main window, tray menu,
#                options pages (the Target Window page in "ProbeMode"), monitor
#   ja/          the same in Japanese (Japanese.rlf, code page 932)
#   en-144dpi/   the main window on a 150 % screen
#   linux/en/, linux/ja/  the Linux program km27: the setup wizard, the main
#                window and the options pages, in English and Japanese
# Needs scripts/build.sh all and scripts/build.sh linux. Takes a few minutes.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
docs=$(cd "$here/../.." && pwd)/docs/screenshots
rm -rf "$docs/en" "$docs/ja" "$docs/en-144dpi" "$docs/linux"
"$here/capture.sh" --out "$docs/en"
"$here/capture.sh" --japanese --out "$docs/ja" --only wizard,main,tray,option,monitor,target
"$here/capture.sh" --dpi 144 --out "$docs/en-144dpi" --only main
"$here/capture-linux.sh" --out "$docs/linux/en"
"$here/capture-linux.sh" --japanese --out "$docs/linux/ja"
# The first page after the reader was found says more than before it.
rm -f "$docs"/*/wizard-1.png
ls -l "$docs"/*/
