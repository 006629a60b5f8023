#!/usr/bin/env bash
# Checks the release package of the mingw build: zanvo-<version>-win32.zip holds exactly
# zanvo.exe, README.TXT, COMPAT.TXT and LICENSE.TXT in one folder of the same name, the texts
# have CR LF line ends, the read-me points to the compatibility summary the package holds, and
# the program's version resource carries the package's version, and COMPAT.TXT says for each card
# what the compatibility page's summary says (check-compat-text.sh).
#
#   check-release-zip.sh PACKAGE.zip [docs/compatibility.md]
set -euo pipefail

zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
name=$(basename "$zip" .zip)
version=${name#zanvo-}
version=${version%-win32}
if [[ ! $name =~ ^zanvo-[0-9][0-9.]*-win32$ ]]; then
  echo "FAIL: $zip is not named zanvo-<version>-win32.zip" >&2
  exit 1
fi
listing=$(cmake -E tar tf "$zip" | sort)
expected=$(printf '%s\n' "$name/COMPAT.TXT" "$name/LICENSE.TXT" "$name/README.TXT" "$name/zanvo.exe")
if [[ $listing != "$expected" ]]; then
  printf 'FAIL: %s holds\n%s\nexpected\n%s\n' "$zip" "$listing" "$expected" >&2
  exit 1
fi
echo "ok: $zip holds zanvo.exe, README.TXT, COMPAT.TXT and LICENSE.TXT"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
for text in README.TXT COMPAT.TXT LICENSE.TXT; do
  lines=$(wc -l <"$unpacked/$name/$text")
  crlf=$(grep -c $'\r$' "$unpacked/$name/$text" || true)
  if ((lines == 0 || crlf != lines)); then
    echo "FAIL: $text has $crlf of $lines lines ending in CR LF" >&2
    exit 1
  fi
done
echo "ok: the texts end their lines in CR LF"
# The read-me names only files the package holds.
if grep -q "docs/compatibility.md in its sources) says" "$unpacked/$name/README.TXT" ||
  ! grep -q "COMPAT.TXT" "$unpacked/$name/README.TXT" ||
  ! grep -q "which model to pick" "$unpacked/$name/COMPAT.TXT"; then
  echo "FAIL: README.TXT does not point to COMPAT.TXT, or COMPAT.TXT lacks the summary" >&2
  exit 1
fi
echo "ok: README.TXT points to COMPAT.TXT, which holds the summary"
# Each card's lines say what the page's summary row says.
"$(dirname "$0")/check-compat-text.sh" "$unpacked/$name/COMPAT.TXT" "${2:-$(dirname "$0")/../docs/compatibility.md}"
if ! grep -q "ZANVO For Windows $version" "$unpacked/$name/README.TXT"; then
  echo "FAIL: README.TXT does not name version $version" >&2
  exit 1
fi
# The version resource's strings are UTF-16.
if ! strings -el "$unpacked/$name/zanvo.exe" | grep -qx "$version"; then
  echo "FAIL: the version resource of zanvo.exe does not carry $version" >&2
  exit 1
fi
echo "ok: README.TXT and the version resource carry $version"
