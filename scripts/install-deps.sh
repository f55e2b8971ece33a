#!/bin/bash
# Installs everything the program, its tests and its benchmarks need, from Debian's packages, and what
# the Windows build needs: the MinGW-w64 cross compilers and MinGW zlib; meson, make, dpkg-dev, the
# unpackers and patch to fetch, patch and build Debian's sources of the other libraries; 32-bit Wine
# with a virtual X server to run the Windows programs; zip and NSIS for the packages; and the Python
# modules of the shared scorer, which compares the pages Wine's GDI draws with the references; and
# debootstrap, to install the Debian package on a bare Debian 12 in the package test.
# Safe to run again (returns at once when everything is there); works as root on a bare Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
PACKAGES=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config ca-certificates
  libcairo2-dev libfreetype-dev libfontconfig-dev libtiff-dev libjpeg-dev libpng-dev zlib1g-dev
  libgtest-dev
  fonts-liberation fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
  fonts-dejavu-core fonts-wqy-zenhei fontconfig
  libtiff-tools poppler-utils file python3 debootstrap
)
WINDOWS_PACKAGES=(
  mingw-w64 libz-mingw-w64-dev meson make dpkg-dev xz-utils bzip2 patch
  wine wine32:i386 xvfb xauth zip nsis
  python3-numpy python3-pil python3-scipy python3-skimage
)
# Wine runs 32-bit Windows programs with the i386 libraries.
need_update=false
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=true
fi
if ! $need_update &&
   dpkg-query -W -f='${db:Status-Abbrev}\n' "${PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" 2>/dev/null |
     awk '$1 != "ii" { missing = 1 } END { exit missing || NR != '$((${#PACKAGES[@]} + ${#WINDOWS_PACKAGES[@]}))' }'; then
  exit 0
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${WINDOWS_PACKAGES[@]}" >/dev/null
