#!/bin/bash
# Renders reference pictures with GDI's own playback under 32-bit Wine, with the shared harness
# (../shared/tools/refrender.c). 64-bit Wine 8 reads EMR_EXTCREATEPEN with the 64-bit EXTLOGPEN layout,
# so every such pen fails to select there and the previous pen draws instead; the 32-bit build reads the
# record as written and draws the pen.
#   bench/gdi-references.sh [--mode raster|fax|WxH] OUT_DIR FILE.emf...
# raster (the default) is the raster page geometry; WxH stretches the metafile's frame onto W x H pixels,
# which plays the test metafiles of tests/data/gdi one to one.
# Needs: dpkg --add-architecture i386 && apt-get update &&
#        apt-get install -y wine32:i386 mingw-w64 python3-pil
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
shared=$here/../shared
mode=raster
if [ "${1:-}" = "--mode" ]; then mode=$2; shift 2; fi
out=$1; shift
work=${REFRENDER32_HOME:-/tmp/refrender32-velto}
mkdir -p "$work" "$out"
for tool in wine i686-w64-mingw32-gcc; do
  command -v $tool > /dev/null || { echo "missing $tool: see the header of $0" >&2; exit 2; }
done
exe=$work/refrender.exe
if [ ! -x "$exe" ] || [ "$shared/tools/refrender.c" -nt "$exe" ]; then
  # SSE arithmetic, so the page geometry rounds exactly as the 64-bit harness rounds it.
  i686-w64-mingw32-gcc -O2 -msse2 -mfpmath=sse "$shared/tools/refrender.c" -o "$exe" -lgdi32 -luser32
fi
export WINEDEBUG=-all WINEPREFIX=$work/prefix
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  wineboot -i > /dev/null 2>&1
  # regedit reads a REGEDIT4 file in code page 1252, which garbles the Chinese face names: the same
  # content goes in as a UTF-16 version 5 file.
  /usr/bin/python3 -c "
import sys
s = open(sys.argv[1], encoding='utf-8').read().replace('REGEDIT4', 'Windows Registry Editor Version 5.00', 1)
open(sys.argv[2], 'wb').write(b'\xff\xfe' + s.replace('\n', '\r\n').encode('utf-16-le'))" \
    "$shared/tools/wine-fonts.reg" "$work/wine-fonts-utf16.reg"
  wine regedit "$work/wine-fonts-utf16.reg" > /dev/null 2>&1
  wineserver -w
fi
for f in "$@"; do
  name=$(basename "${f%.*}")
  abs=$(readlink -f "$f")
  bmp=$work/$name.bmp
  rm -f "$bmp"
  # One process per file: GDI crashes on some metafiles.
  if timeout 60 wine "$exe" "$mode" "Z:${abs//\//\\}" "Z:${bmp//\//\\}" > /dev/null 2>&1 && [ -s "$bmp" ]; then
    /usr/bin/python3 -c "import sys; from PIL import Image; Image.open(sys.argv[1]).save(sys.argv[2], optimize=True)" "$bmp" "$out/$name.png"
    rm -f "$bmp"
    echo "$name ok"
  else
    echo "$name failed (GDI could not play it)"
  fi
done
