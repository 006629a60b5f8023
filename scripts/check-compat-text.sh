#!/usr/bin/env bash
# Checks that the package's compatibility summary says what the page says, and nothing else: every
# line COMPAT.TXT derives from the "Summary" section of docs/compatibility.md, in the page's order
# and through to the end of the text. The paragraphs (links keep their text), and for every card
# of the summary table its line with rank, card, chip, usable cells and usable cells with computed
# timings, the desktops to set for each standard, the model to pick by hand where the page names
# one (and no such line where it names none), the chip facts behind its off cells where it has
# any, and the totals. Line ends and wrapping do not matter.
#
#   check-compat-text.sh COMPAT.TXT [docs/compatibility.md]
set -euo pipefail

text=$1
page=${2:-$(dirname "$0")/../docs/compatibility.md}
# Text as one line of words: CR LF ends and the wrapping's indents go.
flatten() { tr -d '\r' | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }
flat=$(flatten <"$text")

expected=$(awk -F' *\\| *' '
  function flush() {
    if (paragraph != "") print paragraph
    paragraph = ""
  }
  /^## Summary/ { summary = 1; next }
  /^## / && summary { exit }
  !summary { next }
  !/^\|/ {
    if ($0 == "") { flush(); next }
    line = $0
    # A link keeps its text.
    while (match(line, /\[[^]]*\]\([^)]*\)/)) {
      link = substr(line, RSTART, RLENGTH)
      sub(/\]\(.*$/, "", link)
      line = substr(line, 1, RSTART - 1) substr(link, 2) substr(line, RSTART + RLENGTH)
    }
    paragraph = paragraph == "" ? line : paragraph " " line
    next
  }
  { flush() }
  /^\|---/ { next }
  /^\| rank/ {
    for (i = 2; i < NF; i++) column[$i] = i
    header = 1
    next
  }
  header {
    print $column["rank"] ". " $column["card"] " (the window shows \"" $column["chip in the window"] \
          "\"): " $column["usable"] " usable, " $column["with computed timings"] " with computed timings"
    print "Set for PAL: " $column["set for PAL"] "; for NTSC: " $column["set for NTSC"] \
          "; for 24 kHz: " $column["set for 24 kHz"]
    if ($column["pick by hand"] != "-")
      print "Pick \"" $column["pick by hand"] "\" by hand in the window: " $column["usable then"] " usable."
    if ($column["chip facts behind the off cells"] != "no off cell")
      print "Chip facts behind its off cells: " $column["chip facts behind the off cells"]
    cards++
  }
  END {
    flush()
    if (cards == 0) exit 1
  }
' "$page") || {
  echo "FAIL: $page has no summary table of cards" >&2
  exit 1
}

missing=0
while IFS= read -r line; do
  line=$(flatten <<<"$line")
  if [[ $flat != *"$line"* ]]; then
    echo "FAIL: $text lacks: $line" >&2
    missing=$((missing + 1))
  fi
done <<<"$expected"
if ((missing > 0)); then
  exit 1
fi
# Every line is there; the whole must also run in the page's order to the text's end, so that a
# line the page does not derive (a pick where it names none, a stray figure) fails too.
whole=$(flatten <<<"$expected")
if [[ $flat != *"$whole" ]]; then
  echo "FAIL: $text has text between or after the lines $page derives, or them out of order" >&2
  exit 1
fi
echo "ok: $text says for every card what the summary of $page says, and nothing else"
