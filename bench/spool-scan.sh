#!/bin/sh
# Builds and runs the spool scan benchmark: a synthetic 4999-page spool file (1 GiB unless a size in
# MiB is given) is scanned from the page cache; the scan must stay above 1 GB/s in constant memory.
#   bench/spool-scan.sh [build-dir] [MiB]
set -eu
dir=${1:-build}
size=${2:-1024}
cmake --build "$dir" --target bench-spool-scan
"$dir/bench/bench-spool-scan" "$size" 3
