#!/bin/bash
# Scores the playback engine against GDI's own renderings: every metafile that has a reference picture
# is wrapped into a one-page job, converted to BMP by velto-convert, and compared by the scorer.
#   bench/fidelity.sh [--refs DIR] [--emf DIR] [--out DIR] [build-dir]
# Defaults: the shared corpus and its references beside the project, output in /tmp/velto-fidelity.
# Prints one score per page and the summary line; pictures of pages below 0.90 go to OUT/diff.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
shared=$here/../shared
refs=$shared/corpus/reference/raster
emf=$shared/corpus/emf
out=/tmp/velto-fidelity
while [ $# -gt 0 ]; do
  case $1 in
    --refs) refs=$2; shift 2 ;;
    --emf) emf=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) break ;;
  esac
done
build=${1:-$here/build}
rm -rf "$out" && mkdir -p "$out/jobs" "$out/pages"
list=$out/batch.txt
: > "$list"
for ref in "$refs"/*.png; do
  name=$(basename "$ref" .png)
  [ -f "$emf/$name.emf" ] || continue
  python3 "$shared/tools/emf2spl.py" "$out/jobs/$name.spl" "$emf/$name.emf" > /dev/null
  echo "$out/jobs/$name.spl $out/pages/$name.bmp" >> "$list"
done
start=$(date +%s.%N)
"$build/velto-convert" --batch "$list" > "$out/convert.log" 2>&1 || true
end=$(date +%s.%N)
/usr/bin/python3 "$shared/tools/fidelity.py" "$refs" "$out/pages" --diff "$out/diff" --below 0.90 | tee "$out/scores.txt"
echo "converted $(wc -l < "$list") jobs in $(awk "BEGIN{printf \"%.2f\", $end - $start}") s (spool reading, playback and BMP writing)"
