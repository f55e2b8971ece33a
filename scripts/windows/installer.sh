#!/bin/bash
# Makes build-windows/VeltoFaxTool-<version>-setup.exe with makensis from installer/VeltoFaxTool.nsi:
# the program, both print processor libraries and the driver package (scripts/windows/processor.sh
# gathers them in build-windows/package/ and is run when they are missing).
#
#   scripts/windows/installer.sh [--program FILE] [--output FILE] [--test]
#
# --program   the VeltoFaxTool.exe to ship (default build-windows/VeltoFaxTool.exe)
# --output    the setup program to write (default build-windows/VeltoFaxTool-<version>-setup.exe)
# --test      then install it silently under Wine in a fresh prefix, check the files and the spooler,
#             uninstall silently and check that nothing is left (scripts/windows/installer_test.sh)
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
BUILD=$ROOT/build-windows
PACKAGE=$BUILD/package
VERSION=$(sed -n 's/^project(VeltoFaxTool VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
program=$BUILD/VeltoFaxTool.exe
output=""
test=false
while [ $# -gt 0 ]; do
  case $1 in
    --program) program=$(realpath "$2"); shift 2 ;;
    --output) output=$(realpath -m "$2"); shift 2 ;;
    --test) test=true; shift ;;
    *) echo "usage: $0 [--program FILE] [--output FILE] [--test]" >&2; exit 2 ;;
  esac
done
output=${output:-$BUILD/VeltoFaxTool-$VERSION-setup.exe}

if [ ! -f "$program" ]; then
  echo "installer: no program at ${program#$ROOT/} (build it with scripts/build-windows.sh, or name one with --program)" >&2
  exit 1
fi
if [ ! -f "$PACKAGE/x86/Vtproc.dll" ] || [ ! -f "$PACKAGE/x64/Vtproc.dll" ] || [ ! -f "$PACKAGE/driver/VELTOFAX.GPD" ]; then
  "$ROOT/scripts/windows/processor.sh"
fi

echo "installer: ${output#$ROOT/}"
mkdir -p "$(dirname "$output")"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DPROGRAM="$program" \
  -DPROCESSOR_X86="$PACKAGE/x86/Vtproc.dll" -DPROCESSOR_X64="$PACKAGE/x64/Vtproc.dll" \
  -DDRIVER_DIR="$PACKAGE/driver" -DOUTFILE="$output" "$ROOT/installer/VeltoFaxTool.nsi"

if $test; then
  "$ROOT/scripts/windows/installer_test.sh" "$output"
fi
