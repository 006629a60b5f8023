#!/usr/bin/env bash
# Runs one e2e scenario of the driver against zanvo-virtual.exe in a fresh Wine prefix on its own
# Xvfb display.
#
#   run-e2e.sh WINDOWS-BUILD-DIR DRIVER.exe OUTPUT-DIR SCENARIO
#
# Exit status: the driver's (0 passed, 1 failed), or 77 when zanvo-virtual.exe is not built.
set -euo pipefail

if (($# != 4)); then
  echo "usage: $0 WINDOWS-BUILD-DIR DRIVER.exe OUTPUT-DIR SCENARIO" >&2
  exit 2
fi
windows_build=$1
driver=$2
output=$3
scenario=$4

program=$(find "$windows_build" -name zanvo-virtual.exe -not -path '*/CMakeFiles/*' 2>/dev/null |
  head -n 1)
if [[ -z $program ]]; then
  echo "zanvo-virtual.exe is not built in $windows_build." >&2
  echo "Build it with: cmake --preset mingw && cmake --build --preset mingw" >&2
  exit 77
fi
mkdir -p "$output"
output=$(cd "$output" && pwd)
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")

# Unix paths reach Windows programs through Wine's Z: drive.
to_windows() { printf 'Z:%s' "${1//\//\\}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/wine/wine-prefix.sh
source "$(dirname "$0")/wine-prefix.sh"
use_wine_prefix "$work/prefix"

echo "zanvo-virtual.exe: $program"
pictures=(zanvo-pal virtual-tv-pal virtual-tv-before virtual-tv-after "failure-$scenario")
for name in "${pictures[@]}"; do rm -f "$output/$name.bmp"; done
status=0
# The virtual display is 24-bit so the picture keeps its colours, and 1280 wide so that the
# Virtual TV fits beside the main window. The wine server is stopped inside the display's
# lifetime, so nothing is left running when xvfb-run ends.
# shellcheck disable=SC2016 # the inner script expands its own arguments
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  timeout 280 wine "$1" "$2" "$3" "$4"
  status=$?
  wineserver -k 2>/dev/null || true
  exit $status' _ "$driver" "$(to_windows "$program")" "$(to_windows "$output")" "$scenario" ||
  status=$?

for name in "${pictures[@]}"; do
  bmp=$output/$name.bmp
  if [[ -f $bmp ]] && command -v convert >/dev/null; then
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp" && echo "picture: ${bmp%.bmp}.png"
  fi
done
exit $status
