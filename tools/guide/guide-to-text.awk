# Turns the user guide (docs/user-guide.md, plain Markdown: headings,
# paragraphs, lists, tables, fenced blocks, `code`, *emphasis*, **bold** and
# [links](target)) into the text file that ships beside KM27.exe: Windows line
# ends, headings underlined, tables in aligned columns (wide cells wrapped),
# fenced blocks indented, markup removed. POSIX awk.
#   awk -f guide-to-text.awk docs/user-guide.md > UserGuide.txt
#   awk -v dest=UserGuide.txt -f guide-to-text.awk docs/user-guide.md

BEGIN { MAXCELL = 40; rows = 0; fenced = 0 }

function out(s) {
  if (dest != "") printf "%s\r\n", s > dest
  else printf "%s\r\n", s
}

function repeat(c, n,   r) { r = ""; while (n-- > 0) r = r c; return r }

function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }

# Markup outside code spans: bold goes, emphasis (the names of buttons and
# fields; only around words, so that a lone "*" stays) is put in quotes,
# links keep their text.
function plain(s,   inner) {
  while (match(s, /\*\*[^*]+\*\*/))
    s = substr(s, 1, RSTART - 1) substr(s, RSTART + 2, RLENGTH - 4) substr(s, RSTART + RLENGTH)
  while (match(s, /\*[^ *][^*]*[^ *]\*/) || match(s, /\*[^ *]\*/))
    s = substr(s, 1, RSTART - 1) "\"" substr(s, RSTART + 1, RLENGTH - 2) "\"" substr(s, RSTART + RLENGTH)
  while (match(s, /\[[^]]*\]\([^)]*\)/)) {
    inner = substr(s, RSTART + 1, RLENGTH - 1)
    sub(/\]\(.*$/, "", inner)
    s = substr(s, 1, RSTART - 1) inner substr(s, RSTART + RLENGTH)
  }
  return s
}

# Code spans keep their text as it stands, in quotes when it holds a blank
# or is a single character (so that "Test result : OK" reads as one text and
# a "(" as a character of its own); the rest loses its markup.
function inline(s,   n, parts, i, r) {
  n = split(s, parts, "`")
  r = ""
  for (i = 1; i <= n; i++) {
    if (i % 2) r = r plain(parts[i])
    else if (index(parts[i], " ") || length(parts[i]) == 1) r = r "\"" parts[i] "\""
    else r = r parts[i]
  }
  return r
}

function heading(text, rule) {
  text = inline(text)
  out(text)
  out(repeat(rule, length(text)))
}

# ---- tables: rows are collected, then printed in columns ----

function add_row(line,   n, f, i) {
  if (line ~ /^\|[-:| ]+\|$/) { ruleAfter = rows; return }
  sub(/^\|/, "", line)
  sub(/\|$/, "", line)
  n = split(line, f, "|")
  rows++
  ncells[rows] = n
  if (n > ncols) ncols = n
  for (i = 1; i <= n; i++) cell[rows, i] = inline(trim(f[i]))
}

# Splits text into lines of at most `width` characters at blanks (a longer
# word stands alone); returns the number of lines, in wrapped[1..n].
function wrap(text, width,   n, words, i, line, count) {
  count = 0
  n = split(text, words, " ")
  line = ""
  for (i = 1; i <= n; i++) {
    if (line != "" && length(line) + 1 + length(words[i]) > width) { wrapped[++count] = line; line = "" }
    line = (line == "") ? words[i] : line " " words[i]
  }
  wrapped[++count] = line
  return count
}

function flush_table(   r, c, w, h, k, line, lines, nlines) {
  if (rows == 0) return
  for (c = 1; c <= ncols; c++) {
    width[c] = 0
    for (r = 1; r <= rows; r++) {
      nlines = wrap(cell[r, c], MAXCELL)
      for (k = 1; k <= nlines; k++) if (length(wrapped[k]) > width[c]) width[c] = length(wrapped[k])
    }
  }
  for (r = 1; r <= rows; r++) {
    h = 1
    for (c = 1; c <= ncols; c++) {
      nlines = wrap(cell[r, c], width[c])
      for (k = 1; k <= nlines; k++) lines[c, k] = wrapped[k]
      if (nlines > h) h = nlines
      count[c] = nlines
    }
    for (k = 1; k <= h; k++) {
      line = ""
      for (c = 1; c <= ncols; c++) {
        w = (k <= count[c]) ? lines[c, k] : ""
        line = line ((c > 1) ? "  " : "") w ((c < ncols) ? repeat(" ", width[c] - length(w)) : "")
      }
      sub(/ +$/, "", line)
      out("  " line)
    }
    if (r == ruleAfter) {
      line = ""
      for (c = 1; c <= ncols; c++) line = line ((c > 1) ? "  " : "") repeat("-", width[c])
      out("  " line)
    }
  }
  for (r = 1; r <= rows; r++) for (c = 1; c <= ncols; c++) delete cell[r, c]
  rows = 0; ncols = 0; ruleAfter = 0
}

# ---- lines ----

{ sub(/\r$/, "") }

/^```/ { flush_table(); fenced = !fenced; next }
fenced { out(length($0) ? "    " $0 : ""); next }

/^\|/ { add_row($0); next }
{ flush_table() }

/^# /   { heading(substr($0, 3), "="); next }
/^## /  { heading(substr($0, 4), "-"); next }
/^### / { heading(substr($0, 5), "~"); next }

{ out(inline($0)) }

END { flush_table() }
