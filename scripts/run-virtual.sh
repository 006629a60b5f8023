#!/usr/bin/env bash
# Builds zanvo-scope and shows what a standard VGA card at 640x480 sends before and after ZANVO
# switches it to PAL, with the readout the window would show. Extra arguments go to zanvo-scope.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target zanvo-scope -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

if (($#)); then
  exec ./build/release/tools/scope/zanvo-scope "$@"
fi
exec ./build/release/tools/scope/zanvo-scope --card vga --mode 640x480 --standard pal --readout
