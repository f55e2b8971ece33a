#!/bin/bash
# Installs a setup program silently under 32-bit Wine in a fresh prefix, checks the files, the
# uninstall registration and the spooler, uninstalls silently and checks that no file and no printer is
# left.
#
#   scripts/windows/installer_test.sh SETUP.exe [--stand-in]
#
# --stand-in: the setup program carries the stand-in for VeltoFaxTool.exe (vtproc-standin.exe), which
# only records how it was started: then the test checks that INSTALL and UNINSTALL were run from the
# program folder, and not what they do.
#
# Wine cannot run everything the installation does on Windows; what it lacks is made up or skipped, and
# said so in the output:
#   - its printer-setup command has no /ia: the driver "Velto Print" is registered beforehand the way /ia
#     would register it (vtproc-spooler-tool add-driver);
#   - it is 32-bit only here: the 64-bit steps of the installer are not run;
#   - DeletePrintProcessor reports success but the processor stays listed: its registration is not
#     checked after removal.
# The spooler tool comes from the processor's 32-bit build (scripts/windows/processor.sh).
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
TOOLS=$ROOT/build-windows/processor-i686
if [ $# -lt 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 SETUP.exe [--stand-in]" >&2
  exit 2
fi
setup=$(realpath "$1")
standin=false
if [ "${2:-}" = --stand-in ]; then standin=true; fi
if [ ! -f "$TOOLS/vtproc-spooler-tool.exe" ]; then
  echo "installer test: $TOOLS/vtproc-spooler-tool.exe is missing (scripts/windows/processor.sh builds it)" >&2
  exit 2
fi

prefix=$(mktemp -d /tmp/velto-setup-wine.XXXXXX)
records=$(mktemp -d /tmp/velto-setup-records.XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; rm -rf "$prefix" "$records"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all
export VELTO_STANDIN_RECORDS="Z:${records//\//\\}"
drive=$prefix/drive_c
folder="$drive/Program Files/VeltoFaxTool"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/VeltoFaxTool"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VeltoFaxTool'
failures=0
fail() { echo "installer test: FAIL: $*" >&2; failures=$((failures + 1)); }
note() { echo "installer test: $*"; }
state() { wine "$TOOLS/vtproc-spooler-tool.exe" state 2>/dev/null | tr -d '\r'; }
has_line() { printf '%s\n' "$1" | grep -qxF -- "$2"; }
registered() { wine reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }

note "fresh Wine prefix $prefix"
wineboot -i >/dev/null 2>&1
wineserver -w

if ! $standin; then
  note "Wine's printer-setup command lacks /ia: registering the driver \"Velto Print\" the way it would"
  wine "$TOOLS/vtproc-spooler-tool.exe" add-driver "Velto Print" VELTOFAX.GPD || fail "the driver could not be registered"
fi

note "installing silently: $(basename "$setup") /S"
wine "$setup" /S
status=$?
wineserver -w
if $standin; then
  # The stand-in adds no printer: the installer must say so with its exit status.
  [ "$status" = 2 ] || fail "the setup program ended with $status, not 2 (printer missing)"
else
  [ "$status" = 0 ] || fail "the setup program ended with $status"
fi

for file in VeltoFaxTool.exe Vtproc.dll VeltoPrinter.inf VELTOFAX.GPD x64/Vtproc.dll Uninstall.exe; do
  [ -f "$folder/$file" ] || fail "not installed: Program Files/VeltoFaxTool/$file"
done
cmp -s "$folder/Vtproc.dll" "$ROOT/build-windows/package/x86/Vtproc.dll" || fail "Vtproc.dll is not the 32-bit library"
registered "$key" UninstallString || fail "no uninstall registration"
registered "$key" QuietUninstallString || fail "no quiet uninstall registration"
[ "$(ls "$menu" 2>/dev/null | grep -c '\.lnk$')" = 2 ] || fail "the Start menu does not have the two shortcuts"

if $standin; then
  install_record=$(grep -l '^command-text=INSTALL$' "$records"/*.record 2>/dev/null | head -n 1)
  if [ -z "$install_record" ]; then
    fail "INSTALL was not run"
  else
    grep -qi '^directory=C:\\Program Files\\VeltoFaxTool$' "$install_record" ||
      fail "INSTALL did not run in the program folder: $(grep '^directory=' "$install_record")"
  fi
else
  [ -f "$drive/windows/VeltoFaxTool.exe" ] || fail "INSTALL did not copy the program into the Windows directory"
  [ -f "$drive/windows/system32/spool/prtprocs/w32x86/Vtproc.dll" ] || fail "INSTALL did not copy Vtproc.dll to the print-processor directory"
  spooler=$(state)
  has_line "$spooler" "printer=Velto Print|port=Velto Port|driver=Velto Print|processor=Velto Processor|datatype=NT EMF 1.008" ||
    fail "no printer Velto Print on Velto Port with the driver, Velto Processor and NT EMF 1.008:"$'\n'"$spooler"
  has_line "$spooler" "processor=Velto Processor" || fail "the print processor is not registered"
  has_line "$spooler" "port=Velto Port" || fail "no port Velto Port"
  has_line "$spooler" "default=Velto Print" || fail "Velto Print is not the default printer"
  spool_dir=$(wine reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\Velto Print' /v SpoolDirectory 2>/dev/null | tr -d '\r' | awk '/SpoolDirectory/ {print $NF}')
  [ "${spool_dir,,}" = 'c:\windows' ] || fail "the printer's spool directory is '$spool_dir', not the Windows directory"
fi

note "uninstalling silently: Uninstall.exe /S"
wine "$folder/Uninstall.exe" /S
wineserver -w
for i in $(seq 1 50); do [ -e "$folder" ] || break; sleep 0.2; done

[ ! -e "$folder" ] || fail "left behind: $(cd "$drive" && find "Program Files/VeltoFaxTool" | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start menu folder is left behind"
registered "$key" && fail "the uninstall registration is left behind"
left=$(cd "$drive" && find . \( -iname '*velto*' -o -iname 'vtproc*' \) ! -iname '!VeltoJob-*' 2>/dev/null)
[ -z "$left" ] || fail "files left behind: $left"
if $standin; then
  grep -q '^command-text=UNINSTALL$' "$records"/*.record 2>/dev/null || fail "UNINSTALL was not run"
else
  spooler=$(state)
  printf '%s\n' "$spooler" | grep -q '^printer=Velto Print|' && fail "the printer is left behind"
  has_line "$spooler" "port=Velto Port" && fail "the port is left behind"
  has_line "$spooler" "driver=Velto Print" && fail "the driver is left behind"
  has_line "$spooler" "processor=Velto Processor" &&
    note "Wine keeps \"Velto Processor\" listed after DeletePrintProcessor (reports success, removes nothing); not checked"
fi

if [ "$failures" -gt 0 ]; then
  echo "installer test: $failures check(s) failed" >&2
  exit 1
fi
note "passed$($standin && echo ' (with the stand-in program: INSTALL and UNINSTALL run, their work not checked)')"
