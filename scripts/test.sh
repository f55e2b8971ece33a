#!/bin/bash
# Installs the dependencies, builds, and runs every test: a Release build, the same tests under the
# address and undefined-behaviour sanitizers, a short run of each libFuzzer target, and the 32-bit Windows
# build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure

echo "== Printer installation, test page and removal, end to end through the program"
if python3 -c 'import os; os.openpty()' 2>/dev/null; then
  python3 tests/printer/end_to_end.py build
else
  echo "skipped: no pseudo-terminal here"
fi

echo "== Nothing lost on a full disk or with a damaged job, through the programs"
python3 tests/robustness/nothing_lost.py build

echo "== Sanitizer build (address, undefined) and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTO_SANITIZE=ON -DVELTO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure

echo "== Fuzz targets (clang, libFuzzer), a short run each"
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

echo "== Windows build (32-bit, MinGW-w64) and its tests under Wine"
windows_started=$(date +%s)
./scripts/build-windows.sh --no-install -DVELTO_BUILD_TESTS=ON
./scripts/windows/run-tests.sh build-windows
echo "Windows build and tests: $(($(date +%s) - windows_started)) s"
echo "all tests passed"
