#!/bin/bash
# Installs the dependencies, builds, and runs every test: a Release build, the same tests under the
# address and undefined-behaviour sanitizers, a short run of each libFuzzer target, and the 32-bit Windows
# build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
# A stage's heading, with the minutes and seconds since the start.
stage() {
  local t=$(($(date +%s) - started))
  printf '== [%d:%02d] %s\n' $((t / 60)) $((t % 60)) "$1"
}
./scripts/install-deps.sh

stage "Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j 2

stage "Printer installation, test page and removal, end to end through the program"
if python3 -c 'import os; os.openpty()' 2>/dev/null; then
  python3 tests/printer/end_to_end.py build
else
  echo "skipped: no pseudo-terminal here"
fi

stage "Nothing lost on a full disk or with a damaged job, through the programs"
python3 tests/robustness/nothing_lost.py build

stage "The Debian package, installed with apt on a bare Debian 12, converting a print job"
./scripts/package.sh > /dev/null
build/tools/velto-make-sample-job build/package-sample.spl > /dev/null
tests/package/deb_install.sh build/velto-convert_*.deb build/package-sample.spl

stage "Sanitizer build (address, undefined) and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTO_SANITIZE=ON -DVELTO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j 2

stage "Fuzz targets (clang, libFuzzer), a short run each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTO_FUZZ=ON \
  -DVELTO_BUILD_TESTS=OFF -DVELTO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz
shopt -s nullglob
for target in build-fuzz/fuzz/fuzz-*; do
  corpus_dir=$(mktemp -d)
  seeds="fuzz/seeds/$(basename "$target" | sed 's/^fuzz-//; s/-/_/g')"
  [ -d "$seeds" ] && cp "$seeds"/* "$corpus_dir"/ 2>/dev/null || true
  echo "-- $target"
  "$target" -max_total_time=20 -rss_limit_mb=2048 -timeout=10 "$corpus_dir" 2>&1 | tail -n 2
  rm -rf "$corpus_dir"
done

stage "Windows build (32-bit, MinGW-w64) with the print processors, the driver package and the installer"
./scripts/build-windows.sh --no-install -DVELTO_BUILD_TESTS=ON
stage "Windows tests under Wine"
./scripts/windows/run-tests.sh build-windows
stage "The print processor under Wine"
./scripts/windows/processor.sh --test
stage "The installer under Wine: silent install and uninstall"
./scripts/windows/installer.sh --test
stage "The Windows programs end to end under Wine: every format, job mode, GDI against the references"
xvfb-run -a -s "-screen 0 1280x1024x24" python3 tests/windows/job_flow.py build-windows
stage "all tests passed"
