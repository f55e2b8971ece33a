#!/bin/bash
# Builds the print processor Vtproc.dll for both bitnesses and gathers the printer's companions in
# build-windows/package/:
#   x86/Vtproc.dll          for 32-bit Windows (and the 32-bit registration INSTALL makes on 64-bit)
#   x64/Vtproc.dll          for the 64-bit spooler of 64-bit Windows
#   driver/VeltoPrinter.inf, driver/VELTOFAX.GPD   the driver package
# The 32-bit build (build-windows/processor-i686) also builds the processor's test program, its test
# library and stand-in; the 64-bit one (build-windows/processor-x64) only the library.
#
#   scripts/windows/processor.sh          build and gather
#   scripts/windows/processor.sh --test   also run the processor's tests under Wine, in a fresh prefix
#
# The test of the hand-over to the real program runs when VELTO_PROGRAM names a VeltoFaxTool.exe, or
# build-windows/VeltoFaxTool.exe exists (scripts/build-windows.sh); it is skipped otherwise.
#
# Needs the MinGW-w64 cross compilers, and for the tests GoogleTest cross-built into
# build-windows/deps/i686 (scripts/windows/build-deps.sh) and 32-bit Wine. JOBS (default 2) caps the jobs.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
BUILD=$ROOT/build-windows
PACKAGE=$BUILD/package
JOBS=${JOBS:-2}

test=false
if [ "${1:-}" = --test ]; then test=true; fi

configure_and_build() {  # ARCH BUILD_DIR TESTS
  local arch=$1 dir=$2 tests=$3 log=$2/configure.log
  mkdir -p "$dir"
  if ! cmake -S "$ROOT/processor" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-$arch.cmake" \
      -DVELTO_WINDOWS_DEPS="$BUILD/deps/$arch" -DVELTO_BUILD_TESTS="$tests" >"$log" 2>&1; then
    echo "processor: configuring for $arch failed; from $log:" >&2
    tail -n 30 "$log" >&2
    return 1
  fi
  nice cmake --build "$dir" -j "$JOBS"
}

echo "processor: 32-bit library and tests"
configure_and_build i686 "$BUILD/processor-i686" ON
echo "processor: 64-bit library"
configure_and_build x86_64 "$BUILD/processor-x64" OFF

rm -rf "$PACKAGE"
mkdir -p "$PACKAGE/x86" "$PACKAGE/x64" "$PACKAGE/driver"
cp "$BUILD/processor-i686/Vtproc.dll" "$PACKAGE/x86/"
cp "$BUILD/processor-x64/Vtproc.dll" "$PACKAGE/x64/"
cp "$ROOT/driver/VeltoPrinter.inf" "$ROOT/driver/VELTOFAX.GPD" "$PACKAGE/driver/"
echo "processor: the printer's companions are in ${PACKAGE#$ROOT/}"

if $test; then
  if [ ! -x "$BUILD/processor-i686/test_win32_processor.exe" ]; then
    echo "processor: the test program was not built (GoogleTest missing from build-windows/deps/i686?)" >&2
    exit 1
  fi
  prefix=$(mktemp -d /tmp/vtproc-wine.XXXXXX)
  trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
  export WINEPREFIX=$prefix WINEDEBUG=-all
  if [ -z "${VELTO_PROGRAM:-}" ] && [ -f "$BUILD/VeltoFaxTool.exe" ]; then export VELTO_PROGRAM=$BUILD/VeltoFaxTool.exe; fi
  echo "processor: tests under Wine (prefix $prefix)${VELTO_PROGRAM:+, with the program $VELTO_PROGRAM}"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  VELTO_PROCESSOR_DIR="$BUILD/processor-i686" VELTO_SOURCE_DIR="$ROOT" \
    wine "$BUILD/processor-i686/test_win32_processor.exe" --gtest_brief=1
fi
