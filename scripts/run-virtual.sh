#!/usr/bin/env bash
# Runs ZANVO on the virtual PC: installs what is missing, builds the Windows programs (mingw
# preset) and starts zanvo-virtual.exe under Wine.
#  - With a display (DISPLAY set), the program opens there; use it as on Windows. Its settings
#    stay in the Wine prefix build/wine-prefix between runs.
#  - Without one, it runs on a virtual Xvfb display: the e2e driver switches it to PAL and keeps
#    the setting, and pictures of the main window and the Virtual TV are saved under
#    build/screenshots.
# ZANVO_VIRTUAL_CARD and ZANVO_VIRTUAL_MODE choose the simulated card and desktop mode.
# With arguments, zanvo-scope runs instead, with those arguments, in the caller's folder (so
# that relative paths such as --load-registers file.json or --png x.png are the caller's).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

"$repo/scripts/install-deps.sh"
jobs=$(nproc 2>/dev/null || echo 2)

if (($#)); then
  # The build's progress goes to stderr: stdout is zanvo-scope's own output. The build runs in
  # the repository; zanvo-scope runs in the caller's folder, so relative paths are the caller's.
  (
    cd "$repo"
    cmake --preset release >&2
    cmake --build --preset release --target zanvo-scope -j "$jobs" >&2
  )
  exec "$repo/build/release/tools/scope/zanvo-scope" "$@"
fi

cd "$repo"

echo "Building the Windows programs (mingw preset)..."
cmake --preset mingw
cmake --build --preset mingw -j "$jobs"
program=$(find build/mingw -name zanvo-virtual.exe -not -path '*/CMakeFiles/*' | head -n 1)
if [[ -z $program ]]; then
  echo "The mingw build made no zanvo-virtual.exe" >&2
  exit 1
fi

echo "Card: ${ZANVO_VIRTUAL_CARD:-s3-trio64}, desktop mode: ${ZANVO_VIRTUAL_MODE:-640x480}"
if [[ -n ${DISPLAY:-} ]]; then
  # shellcheck source=tests/wine/wine-prefix.sh
  source tests/wine/wine-prefix.sh
  use_wine_prefix "$PWD/build/wine-prefix"
  echo "Starting $program on display $DISPLAY (it lives in the notification area; Unload ends it)"
  exec wine "$program"
fi

echo "No DISPLAY: running on a virtual display and switching to PAL..."
cmake --preset release
cmake --build --preset release --target zanvo-e2e-driver -j "$jobs"
mkdir -p build/screenshots
./tests/wine/run-e2e.sh build/mingw build/release/tests/wine/zanvo-e2e-driver.exe \
  build/screenshots show-pal
echo "Screenshot of the main window in PAL: $PWD/build/screenshots/zanvo-pal.png"
echo "Screenshot of the Virtual TV in PAL: $PWD/build/screenshots/virtual-tv-pal.png"
