#!/bin/bash
# Shows the program at work on a sample print job: installs the packages, builds, records a two-page
# sample job, converts it in job mode as the print processor starts the program, and converts it once
# more with velto-convert.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# Only the two programs and the sample maker: the tests and benchmarks are the business of test.sh.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target VeltoFaxTool velto-convert velto-make-sample-job

demo="$PWD/build/demo"
rm -rf "$demo"
mkdir -p "$demo/windows" "$demo/out" "$demo/convert"

echo "== A two-page sample print job (shapes, Latin and Chinese text)"
build/tools/velto-make-sample-job "$demo/sample.spl"

# Job mode reads its settings and finds its spool files in the Windows directory: here a folder of the
# demo's own. savemode=1 saves without asking, in the format and folder given.
run_job() {
  local format=$1 name=$2
  cat > "$demo/windows/VeltoFaxPrint.ini" <<INI
[save]
savemode=1
autosaveformat=$format
autosavedir=$demo/out
; 1 would open the result with its associated program afterwards
chech1=0
INI
  cp "$demo/sample.spl" "$demo/windows/00001.SPL"
  echo "== Job mode, autosaveformat=$format: build/VeltoFaxTool \"VELTO PRINT*$name\""
  VELTO_WINDIR="$demo/windows" build/VeltoFaxTool "VELTO PRINT*$name"
}
run_job 5 "Sample"          # PNG, one file per page
run_job 1 "Sample fax"      # fax TIFF, one document
run_job 4 "Sample.doc"      # PDF; the short ending ".doc" is dropped from the name

echo "== Written by job mode (the spool file is gone from the Windows directory):"
ls -l "$demo/out"
ls -A "$demo/windows"

echo "== velto-convert on the same job"
for ext in emf txt png pdf; do
  build/velto-convert "$demo/sample.spl" "$demo/convert/sample.$ext"
done
ls -l "$demo/convert"
echo "== The text of the job (sample.txt, UTF-16):"
iconv -f UTF-16 -t UTF-8 "$demo/convert/sample.txt"
echo
if command -v pdfinfo >/dev/null; then
  echo "== pdfinfo sample.pdf:"
  pdfinfo "$demo/convert/sample.pdf" | grep -E '^(Pages|Page size)'
fi
if command -v tiffinfo >/dev/null; then
  echo "== tiffinfo 'Sample fax.tif':"
  tiffinfo "$demo/out/Sample fax.tif" 2>/dev/null | grep -E 'TIFF Directory|Image Width|Compression' || true
fi
echo "demo finished: see $demo"
