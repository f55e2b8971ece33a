#!/bin/bash
# Cross-builds the Windows (32-bit, i686) program on Debian with MinGW-w64, into build-windows/:
#   1. installs the packages (scripts/install-deps.sh; --no-install skips it),
#   2. cross-builds the libraries from Debian's sources into build-windows/deps/i686
#      (scripts/windows/build-deps.sh; a second run reuses them),
#   3. configures and builds the project with cmake/toolchain-mingw-i686.cmake,
#   4. builds the print processors (x86, x64), gathers the driver package and makes the setup program
#      build-windows/VeltoFaxTool-<version>-setup.exe (scripts/windows/processor.sh, installer.sh),
#   5. packs what a user copies to a Windows machine into build-windows/VeltoFaxTool-<version>-win32.zip.
# Extra arguments go to the project's cmake configure step. JOBS (default 2) caps parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
ARCH=i686
BUILD=$ROOT/build-windows
DEPS=$BUILD/deps/$ARCH
export JOBS=${JOBS:-2}

install=true
if [ "${1:-}" = --no-install ]; then install=false; shift; fi

build_project() {
  local log=$BUILD/configure.log
  mkdir -p "$BUILD"
  echo "build-windows: configuring the project for $ARCH (log: ${log#$ROOT/})"
  if ! cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-$ARCH.cmake" -DVELTO_WINDOWS_DEPS="$DEPS" \
      "$@" >"$log" 2>&1; then
    echo "build-windows: configuring the project for Windows failed; from $log:" >&2
    grep -E "^-- +(No package|Package) '.*not found" "$log" >&2 || true
    grep -A6 '^CMake Error' "$log" | head -n 40 >&2 || tail -n 30 "$log" >&2
    echo "build-windows: the libraries are ready in ${DEPS#$ROOT/}; the project's own sources do not build for Windows yet." >&2
    return 1
  fi
  echo "build-windows: building the project"
  cmake --build "$BUILD" -j "$JOBS"
}

# The version of the project, from its CMakeLists.txt.
project_version() {
  sed -n 's/^project(VeltoFaxTool VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt"
}

# The zip holds the two programs, the printer's companions (the print processors and the driver
# package, gathered in build-windows/package by scripts/windows/processor.sh) and the Windows part of
# the README.
package_zip() {
  local version zip staging
  version=$(project_version)
  zip=$BUILD/VeltoFaxTool-$version-win32.zip
  staging=$BUILD/zip/VeltoFaxTool-$version
  rm -rf "$BUILD/zip" && mkdir -p "$staging"
  cp "$BUILD/VeltoFaxTool.exe" "$BUILD/velto-convert.exe" "$staging/"
  for part in x86 x64 driver; do
    if [ -d "$BUILD/package/$part" ]; then cp -r "$BUILD/package/$part" "$staging/$part"; fi
  done
  sed -n '/^## Windows/,/^## [^W]/p' "$ROOT/README.md" | sed '$d' > "$staging/README-Windows.txt"
  rm -f "$zip"
  (cd "$BUILD/zip" && zip -q -r "$zip" "VeltoFaxTool-$version")
  echo "build-windows: ${zip#$ROOT/}"
}

if $install; then
  echo "build-windows: installing the packages"
  "$ROOT/scripts/install-deps.sh"
fi
echo "build-windows: the libraries for $ARCH"
"$ROOT/scripts/windows/build-deps.sh" "$ARCH" "$DEPS"
build_project "$@"
echo "build-windows: the print processors, the driver package and the setup program"
"$ROOT/scripts/windows/processor.sh"
"$ROOT/scripts/windows/installer.sh"
package_zip
