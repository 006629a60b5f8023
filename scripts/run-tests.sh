#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Windows programs (mingw preset)
# with their size and import checks, the native release build (with the benchmark's smoke run
# and the end-to-end tests of zanvo-virtual.exe under Wine) and the ASan+UBSan build.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

# The Windows build comes first: the release build's end-to-end tests run its zanvo-virtual.exe.
echo "=== mingw: configure and build"
cmake --preset mingw
cmake --build --preset mingw -j "$jobs"
echo "=== mingw: zanvo.exe size and imports"
zanvo_exe=$(find build/mingw -name zanvo.exe -not -path '*/CMakeFiles/*' | head -n 1)
if [[ -z $zanvo_exe ]]; then
  echo "FAIL: the mingw build made no zanvo.exe" >&2
  exit 1
fi
./scripts/check-windows-exe.sh "$zanvo_exe"
echo "=== mingw: the release package"
rm -f build/mingw/zanvo-*-win32.zip
cmake --build --preset mingw --target package
./scripts/check-release-zip.sh build/mingw/zanvo-*-win32.zip

# The end-to-end tests of zanvo-virtual.exe under Wine (tests/wine) run with the release tests;
# ZANVO_WINE_E2E=OFF in the environment leaves them out of one run.
wine_e2e=${ZANVO_WINE_E2E:-ON}

for preset in release asan; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" -DZANVO_WINE_E2E="$wine_e2e"
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs"
done
