#!/bin/bash
# Installs the Debian package into a fresh, minimal Debian 12 (debootstrap minbase: nothing installed)
# with apt, as a user would, and converts a sample print job with the installed velto-convert.
#   tests/package/deb_install.sh build/velto-convert_<version>_<arch>.deb [SAMPLE.spl]
# Needs root and debootstrap (apt-get install -y debootstrap). The bare system is kept in
# ${TMPDIR:-/tmp}/velto-deb/base for the next run.
set -euo pipefail
deb=$(readlink -f "$1")
sample=${2:-}
cache=${TMPDIR:-/tmp}/velto-deb
base=$cache/base
mkdir -p "$cache"
if [ ! -f "$base/.ok" ]; then
  # The mirror this machine uses: deb822 sources (a full install) or sources.list (a debootstrap one).
  mirror=$( { sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true; } | head -1)
  if [ -z "$mirror" ]; then
    mirror=$( { sed -n 's/^deb  *\(http[^ ]*\) .*/\1/p' /etc/apt/sources.list 2>/dev/null || true; } | head -1)
  fi
  mirror=${mirror:-http://deb.debian.org/debian}
  rm -rf "$base"
  echo "deb-install: making a bare Debian 12 (debootstrap minbase)"
  debootstrap --variant=minbase bookworm "$base" "$mirror" > "$cache/debootstrap.log" 2>&1 ||
    { echo "deb-install: debootstrap failed, see $cache/debootstrap.log" >&2; exit 2; }
  touch "$base/.ok"
fi
root=$cache/root
rm -rf "$root"
cp -a "$base" "$root"
cp /etc/resolv.conf "$root/etc/"
cp "$deb" "$root/root/"
if [ -n "$sample" ]; then cp "$sample" "$root/root/sample.spl"; fi
mount --bind /proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" /bin/bash -c '
  set -euo pipefail
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends ./root/'"$(basename "$deb")"' > /root/apt.log 2>&1 ||
    { tail -20 /root/apt.log; exit 1; }
  velto-convert --version
  man -w velto-convert > /dev/null 2>&1 || test -f /usr/share/man/man1/velto-convert.1
  cd /root
  if [ ! -f sample.spl ]; then
    echo "no sample job given; converting nothing" >&2
    exit 0
  fi
  velto-convert sample.spl out.pdf
  velto-convert sample.spl out.png
  velto-convert sample.spl out.tif
  test -s out.pdf && test -s out.png && test -s out.tif
  echo "converted: $(ls out*)"
'
echo "deb-install: the package installs on a bare Debian 12 and converts a print job"
