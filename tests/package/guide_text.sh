#!/usr/bin/env bash
# The user guide's conversion to the text file that ships in the package:
# markup on a sample, then the real guide as a whole (Windows line ends,
# plain ASCII, no markup left, lines that fit a text editor).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
awkfile="$root/tools/guide/guide-to-text.awk"
status=0
fail() { echo "FAIL: $*"; status=1; }

sample=$(cat <<'MD'
# Title

## Part **two**

Click *Connect Test*, see **this** and [the guide](docs/x.md); `[ENTER]` and
`Test result : OK` and a `(` stay; 2 * 3 * 4 keeps its stars.

| Name | Key |
|---|---|
| `[F1]` `[F2]` `[F3]` `[F4]` `[F5]` `[F6]` `[F7]` `[F8]` `[F9]` `[F10]` | function keys |
| `[TAB]` | Tab |

```
[KeyData]

Header=H
```
MD
)
expected=$(cat <<'TXT'
Title
=====

Part two
--------

Click "Connect Test", see this and the guide; [ENTER] and
"Test result : OK" and a "(" stay; 2 * 3 * 4 keeps its stars.

  Name                                     Key
  ---------------------------------------  -------------
  [F1] [F2] [F3] [F4] [F5] [F6] [F7] [F8]  function keys
  [F9] [F10]
  [TAB]                                    Tab

    [KeyData]

    Header=H
TXT
)
got=$(printf '%s\n' "$sample" | awk -f "$awkfile")
want=$(printf '%s\n' "$expected" | sed 's/$/\r/')
[ "$got" = "$want" ] || { fail "sample converted wrongly"; diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | cat -A | head -40; }

text=$(mktemp)
trap 'rm -f "$text"' EXIT
awk -v dest="$text" -f "$awkfile" "$root/docs/user-guide.md" || fail "the guide does not convert"
[ -s "$text" ] || fail "the guide converts to nothing"
! grep -q $'[^\r]$' "$text" || fail "lines without CR LF: $(grep -n $'[^\r]$' "$text" | head -3)"
! LC_ALL=C grep -q $'[^\t\r -~]' "$text" || fail "characters outside ASCII: $(LC_ALL=C grep -n $'[^\t\r -~]' "$text" | head -3)"
! grep -qE '```|\*\*|^ *\|-|`' "$text" || fail "markup left: $(grep -nE '```|\*\*|^ *\|-|`' "$text" | head -3)"
long=$(awk 'length($0) > 101 { print NR": "$0 }' "$text")
[ -z "$long" ] || fail "lines longer than 100 characters: $long"
[ $status = 0 ] && echo "PASS: the user guide converts to Windows text"
exit $status
