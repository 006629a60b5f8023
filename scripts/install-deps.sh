#!/usr/bin/env bash
# Installs the Debian packages the builds and the tests need, when they are missing: the native
# toolchain and libraries (Cairo for zanvo-scope's pictures, help2man for its manual page, cvt
# to check its modelines against), the MinGW-w64 cross compiler for the Windows programs, and Wine
# (32-bit, with its fonts: MS Sans Serif and the caption-button glyphs), Xvfb and ImageMagick for
# running them in the end-to-end tests; DOSBox, Bochs (its BIOS, the VGA BIOSes and the
# terminal display, the smallest one that runs without a window) and nasm for checking the
# virtual cards against the emulators' chip models.
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  librapidcheck-dev pkg-config libcairo2-dev help2man xcvt
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils wine wine32:i386 fonts-wine xvfb xauth imagemagick
  dosbox bochs bochsbios vgabios bochs-term nasm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  # wine32 is an i386 package: the architecture must be known before the package lists are read.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends \
    "${missing[@]}"
fi
