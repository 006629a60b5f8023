#!/usr/bin/env bash
# Checks that the package's compatibility summary says what the page says: for every card of the
# summary table in docs/compatibility.md, COMPAT.TXT has the card's line with its rank, chip,
# usable cells and usable cells with computed timings, the desktops to set for each standard, and
# the model to pick by hand where the page names one. Line ends and wrapping do not matter.
#
#   check-compat-text.sh COMPAT.TXT [docs/compatibility.md]
set -euo pipefail

text=$1
page=${2:-$(dirname "$0")/../docs/compatibility.md}
# COMPAT.TXT as one line of words: CR LF ends and the wrapping's indents go.
flat=$(tr -d '\r' <"$text" | tr -s ' \n' '  ')

expected=$(awk -F' *\\| *' '
  /^## Summary/ { summary = 1; next }
  /^## / && summary { exit }
  !summary || !/^\|/ || /^\|---/ { next }
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
    cards++
  }
  END { if (cards == 0) exit 1 }
' "$page") || {
  echo "FAIL: $page has no summary table of cards" >&2
  exit 1
}

missing=0
while IFS= read -r line; do
  if [[ $flat != *"$line"* ]]; then
    echo "FAIL: $text lacks: $line" >&2
    missing=$((missing + 1))
  fi
done <<<"$expected"
if ((missing > 0)); then
  exit 1
fi
echo "ok: $text says for every card what the summary of $page says"
