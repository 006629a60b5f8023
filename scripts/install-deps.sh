#!/usr/bin/env bash
# Installs the Debian packages the builds and the tests need, when they are missing: the native
# toolchain and libraries (Cairo for zanvo-scope's pictures, help2man for its manual page, cvt
# to check its modelines against), the MinGW-w64 cross compiler for the Windows programs, and Wine
# (32-bit, with its fonts: MS Sans Serif and the caption-button glyphs), Xvfb and ImageMagick for
# running them in the end-to-end tests; DOSBox, Bochs (its BIOS, the VGA BIOSes and the
# terminal display, the smallest one that runs without a window) and nasm for checking the
# virtual cards against the emulators' chip models; QEMU, cpio and jq for the QEMU suite, whose
# guest kernel (a Debian cloud kernel: serial console and port I/O built in, no graphics driver)
# is taken out of its package into build/qemu-kernel without installing it.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  librapidcheck-dev pkg-config libcairo2-dev help2man xcvt
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils wine wine32:i386 fonts-wine xvfb xauth imagemagick
  dosbox bochs bochsbios vgabios bochs-term nasm qemu-system-x86 cpio jq)

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

# The QEMU suite's guest kernel: the package the cloud kernel's meta-package points to, downloaded
# and unpacked (never installed) once.
kernel_dir=build/qemu-kernel
if ! ls "$kernel_dir"/boot/vmlinuz-* >/dev/null 2>&1; then
  echo "Fetching the QEMU suite's guest kernel (linux-image-cloud-amd64) into $kernel_dir"
  download=$(mktemp -d)
  kernel_package=$(apt-cache depends linux-image-cloud-amd64 | sed -n 's/^ *Depends: \(linux-image-[^ ]*-cloud-amd64\)$/\1/p' | head -n 1)
  if [[ -n $kernel_package ]] && (cd "$download" && apt-get download "$kernel_package" >/dev/null); then
    mkdir -p "$kernel_dir/boot"
    dpkg-deb -x "$download"/"$kernel_package"_*.deb "$download/unpacked"
    cp "$download"/unpacked/boot/vmlinuz-* "$kernel_dir/boot/"
  else
    echo "The guest kernel could not be downloaded; the QEMU suite will be skipped." >&2
  fi
  rm -rf "$download"
fi
