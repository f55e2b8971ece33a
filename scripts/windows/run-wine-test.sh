#!/bin/bash
# Runs a Windows test program under Wine in a prefix of its own, made for the run and removed afterwards,
# so that tests that add printers, ports, drivers and services change nothing else:
#   scripts/windows/run-wine-test.sh build-windows/tests/test_win32_printing.exe [--gtest_filter=...]
# The exit status is the program's. KEEP_PREFIX=1 keeps the prefix (its path is printed) for a look.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi
program=$1
shift
[ -f "$program" ] || { echo "run-wine-test: no program $program" >&2; exit 2; }

prefix=$(mktemp -d /tmp/velto-wine-test.XXXXXX)
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  if [ "${KEEP_PREFIX:-0}" = 1 ]; then echo "run-wine-test: prefix kept in $prefix" >&2; else rm -rf "$prefix"; fi
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}

# wineboot returns before the prefix is complete; until its processes have ended the service database is
# locked and starting a service fails (ERROR_SERVICE_DATABASE_LOCKED).
wineboot -i >/dev/null 2>&1 </dev/null
wineserver -w

# Services the program starts (the spooler, test services) outlive it and keep its output open: the
# output goes through a file, not a pipe that would never close.
output=$(mktemp "$prefix/output.XXXXXX")
status=0
wine "$program" "$@" >"$output" 2>&1 </dev/null || status=$?
tr -d '\r' <"$output"
exit $status
