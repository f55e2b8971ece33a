#!/bin/bash
# Installs everything the program, its tests and its benchmarks need, from Debian's packages.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config ca-certificates \
  libcairo2-dev libfreetype-dev libfontconfig-dev libtiff-dev libjpeg-dev libpng-dev zlib1g-dev \
  libgtest-dev \
  fonts-liberation fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea \
  fonts-dejavu-core fonts-wqy-zenhei fontconfig \
  libtiff-tools poppler-utils file python3
