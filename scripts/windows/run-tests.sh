#!/bin/bash
# Runs the Windows build's tests (ctest) under 32-bit Wine:
#   scripts/windows/run-tests.sh [BUILD_DIR] [CTEST_ARGUMENTS...]      BUILD_DIR: build-windows
#
# The run gets a Wine prefix of its own, made fresh and removed afterwards, and a virtual X server
# (Xvfb, 1280 × 1024 × 24) for the programs that open windows. The prefix's server is kept up for the
# whole run, with its services started beforehand: started by a test program instead, they would
# outlive it holding its output open, and ctest would wait for them. A program that crashes ends as a
# failure instead of waiting in Wine's debugger. Programs that change the machine (tests/win32_*) make
# prefixes of their own (run-wine-test.sh). The exit status is ctest's.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-windows}
[ $# -gt 0 ] && shift
[ -f "$build/CTestTestfile.cmake" ] || { echo "run-tests: no tests configured in $build" >&2; exit 2; }

if [ -z "${VELTO_WINE_DISPLAY_READY:-}" ]; then
  exec env VELTO_WINE_DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$@"
fi

prefix=$(mktemp -d /tmp/velto-wine.XXXXXX)
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d"

started=$(date +%s)
wineboot -i >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p
wineboot >/dev/null 2>&1 </dev/null
echo "run-tests: Wine prefix ready in $(($(date +%s) - started)) s"

ctest --test-dir "$build" --output-on-failure "$@"
