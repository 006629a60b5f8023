#!/usr/bin/env bash
# Runs end-to-end scenarios of zanvo.exe itself under Wine, with the winio.dll test double in
# its folder, in one fresh Wine prefix on one Xvfb display.
#
#   run-winio-e2e.sh WINDOWS-BUILD-DIR DRIVER.exe OUTPUT-DIR WINDOWS SCENARIO...
#
# WINDOWS is the version Wine reports to zanvo.exe: default (Wine's own), win98 or winxp.
# The program folder holds zanvo.exe and the double; two copies of a different winio.dll wait
# in the folders the loader must never search (the current folder and one on PATH).
# Exit status: 0 all passed, 1 a scenario failed, 77 when the mingw build is missing.
set -euo pipefail

if (($# < 5)); then
  echo "usage: $0 WINDOWS-BUILD-DIR DRIVER.exe OUTPUT-DIR default|win98|winxp SCENARIO..." >&2
  exit 2
fi
windows_build=$1
driver=$2
output=$3
windows=$4
shift 4

built() { find "$windows_build" -path "*$1" -not -path '*/CMakeFiles/*' 2>/dev/null | head -n 1; }
program=$(built /zanvo.exe)
double=$(built /winio-double/winio.dll)
planted=$(built /winio-planted/winio.dll)
if [[ -z $program || -z $double || -z $planted ]]; then
  echo "zanvo.exe or the winio.dll test doubles are not built in $windows_build." >&2
  echo "Build them with: cmake --preset mingw && cmake --build --preset mingw" >&2
  exit 77
fi
mkdir -p "$output"
output=$(cd "$output" && pwd)

to_windows() { printf 'Z:%s' "${1//\//\\}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/wine/wine-prefix.sh
source "$(dirname "$0")/wine-prefix.sh"
use_wine_prefix "$work/prefix"

mkdir -p "$work/program" "$work/planted/current" "$work/planted/path"
cp "$program" "$work/program/zanvo.exe"
cp "$double" "$work/program/winio.dll"
cp "$planted" "$work/planted/current/winio.dll"
cp "$planted" "$work/planted/path/winio.dll"
ZANVO_E2E_PLANTED_DIR=$(to_windows "$work/planted")
ZANVO_E2E_WINDOWS=$([[ $windows == default ]] || echo "$windows")
export ZANVO_E2E_PLANTED_DIR ZANVO_E2E_WINDOWS

echo "zanvo.exe: $program, reported Windows: $windows"
for scenario in "$@"; do rm -f "$output/failure-$scenario.bmp"; done
status=0
# shellcheck disable=SC2016 # the inner script expands its own arguments
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  driver=$1 program=$2 output=$3
  shift 3
  status=0
  for scenario in "$@"; do
    timeout 280 wine "$driver" "$program" "$output" "$scenario" || { status=$?; break; }
  done
  wineserver -k 2>/dev/null || true
  exit $status' _ "$driver" "$(to_windows "$work/program/zanvo.exe")" "$(to_windows "$output")" \
  "$@" || status=$?

for bmp in "$output"/failure-*.bmp; do
  if [[ -f $bmp ]] && command -v convert >/dev/null; then
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp" && echo "picture: ${bmp%.bmp}.png"
  fi
done
exit $status
