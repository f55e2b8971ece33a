#!/bin/bash
# End-to-end speed of velto-convert against GDI: every corpus metafile that GDI plays (those with a
# reference picture) becomes a one-page job, and
#   - velto-convert --batch turns the jobs into BMP pages with -j 1 and with -j 2 (best of ROUNDS runs),
#   - GDI under 32-bit Wine plays the same metafiles at the same page geometry and writes the same BMPs,
#     in one process (the shared harness refrender.exe with a list), timed the same way.
# Prints the three times and the two ratios the converter is held to: GDI / -j 1 (at least 2.5) and
# -j 1 / -j 2 (at least 1.7 on two cores).
#   bench/convert-speed.sh [--rounds N] [--no-gdi] [build-dir]
# GDI needs: dpkg --add-architecture i386 && apt-get update && apt-get install -y wine32:i386 mingw-w64
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
shared=$here/../shared
rounds=3
gdi=true
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --no-gdi) gdi=false; shift ;;
    *) break ;;
  esac
done
build=${1:-$here/build}
out=${VELTO_BENCH_OUT:-/tmp/velto-convert-speed}
rm -rf "$out" && mkdir -p "$out/jobs" "$out/pages" "$out/gdi"
list=$out/batch.txt gdilist=$out/gdi.txt
: > "$list"
: > "$gdilist"
for ref in "$shared"/corpus/reference/raster/*.png; do
  name=$(basename "$ref" .png)
  emf=$shared/corpus/emf/$name.emf
  [ -f "$emf" ] || continue
  python3 "$shared/tools/emf2spl.py" "$out/jobs/$name.spl" "$emf" > /dev/null
  echo "$out/jobs/$name.spl $out/pages/$name.bmp" >> "$list"
  abs=$(readlink -f "$emf")
  bmp=$out/gdi/$name.bmp
  echo "raster Z:${abs//\//\\} Z:${bmp//\//\\}" >> "$gdilist"
done
pages=$(wc -l < "$list")

# Seconds of the best of $rounds runs of the command.
best_of() {
  local best="" t s e
  for _ in $(seq "$rounds"); do
    # Every round writes into an empty folder, as a first conversion does (replacing last round's
    # files would add the file system's cost of dropping them).
    rm -f "$out"/pages/*.bmp
    s=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || true
    e=$(date +%s.%N)
    t=$(awk "BEGIN{print $e - $s}")
    best=$(awk -v a="$best" -v b="$t" 'BEGIN{print (a == "" || b < a) ? b : a}')
  done
  echo "$best"
}

j1=$(best_of "$build/velto-convert" -j 1 --batch "$list")
j2=$(best_of "$build/velto-convert" -j 2 --batch "$list")
printf 'velto-convert -j 1: %.2f s for %d pages\n' "$j1" "$pages"
printf 'velto-convert -j 2: %.2f s   (-j 1 / -j 2 = %.2f)\n' "$j2" "$(awk "BEGIN{print $j1 / $j2}")"

if $gdi; then
  work=${REFRENDER32_HOME:-/tmp/refrender32-velto}
  mkdir -p "$work"
  exe=$work/refrender.exe
  if [ ! -x "$exe" ] || [ "$shared/tools/refrender.c" -nt "$exe" ]; then
    i686-w64-mingw32-gcc -O2 -msse2 -mfpmath=sse "$shared/tools/refrender.c" -o "$exe" -lgdi32 -luser32
  fi
  export WINEDEBUG=-all WINEPREFIX=$work/prefix
  [ -d "$WINEPREFIX/drive_c" ] || wineboot -i > /dev/null 2>&1
  wine "$exe" "Z:${gdilist//\//\\}" > /dev/null 2>&1 || true  # starts the Wine server, warms the caches
  # GDI's time is the sum of the per-page times the harness prints, without Wine's start-up.
  best=""
  for _ in $(seq "$rounds"); do
    rm -f "$out"/gdi/*.bmp
    # Each line: the metafile, 1 when drawn, its milliseconds (Windows line ends).
    t=$(wine "$exe" "Z:${gdilist//\//\\}" 2>/dev/null | tr -d '\r' | awk '{sum += $NF} END{print sum / 1000}')
    best=$(awk -v a="$best" -v b="$t" 'BEGIN{print (a == "" || b < a) ? b : a}')
  done
  printf 'GDI (32-bit Wine): %.2f s   (GDI / -j 1 = %.2f)\n' "$best" "$(awk "BEGIN{print $best / $j1}")"
fi
