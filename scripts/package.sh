#!/bin/bash
# Builds the programs (Release) and makes the Debian package build/velto-convert_<version>_<arch>.deb:
# both programs, their manual pages and the README, depending on Debian's runtime packages and fonts.
#   ./scripts/package.sh            (installs the build packages first, as the other scripts do)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target VeltoFaxTool velto-convert
(cd build && cpack -G DEB >/dev/null)
ls build/velto-convert_*.deb
