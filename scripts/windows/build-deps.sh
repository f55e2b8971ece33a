#!/bin/bash
# Cross-builds the libraries the Windows build links statically, from Debian's (bookworm) own source
# packages: libjpeg-turbo, libpng, libtiff (JPEG and zlib codecs, no other outside library), pixman,
# cairo (win32 and PDF surfaces; no FreeType, fontconfig or PNG) and GoogleTest for the tests. zlib is
# Debian's libz-mingw-w64-dev.
#
#   scripts/windows/build-deps.sh ARCH PREFIX        ARCH: i686 or x86_64
#
# Headers, static libraries and pkg-config files land in PREFIX (PKG_CONFIG_LIBDIR=PREFIX/lib/pkgconfig
# finds them all, zlib included). Debian's patches (security fixes among them) are applied on top of
# the upstream tarballs, except the few that only concern Debian's own packaging (see SKIP_PATCHES).
#
# Sources are fetched once with `apt-get source --download-only` into build-windows/sources; each
# library is built in build-windows/deps-build/ARCH/NAME and logs to NAME.log there. A stamp per
# library in PREFIX/share/velto-deps remembers what was built (Debian version, recipe, toolchain); a
# later run rebuilds only what changed. JOBS (default 2) caps the parallel compile jobs.
set -euo pipefail

usage() { echo "usage: $0 i686|x86_64 PREFIX" >&2; exit 2; }
[ $# = 2 ] || usage
ARCH=$1
case "$ARCH" in
  i686) MESON_CPU_FAMILY=x86 ;;
  x86_64) MESON_CPU_FAMILY=x86_64 ;;
  *) usage ;;
esac
HOST=$ARCH-w64-mingw32
mkdir -p "$2"
PREFIX=$(cd "$2" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SOURCES=$ROOT/build-windows/sources
WORK=$ROOT/build-windows/deps-build/$ARCH
STAMPS=$PREFIX/share/velto-deps
TOOLCHAIN=$ROOT/cmake/toolchain-mingw-$ARCH.cmake
JOBS=${JOBS:-2}
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
unset PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR

die() { echo "build-deps: $*" >&2; exit 1; }

for tool in "$HOST-gcc-posix" "$HOST-g++-posix" cmake ninja meson make pkg-config apt-get apt-cache \
            patch xz sha256sum; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh installs it)"
done
[ -f "/usr/$HOST/lib/libz.a" ] || die "MinGW zlib is missing: install libz-mingw-w64-dev"

# name: Debian source package, upstream version the recipe below was written for.
LIBRARIES=(libjpeg-turbo libpng tiff pixman cairo googletest)
declare -A SOURCE_PACKAGE=([libjpeg-turbo]=libjpeg-turbo [libpng]=libpng1.6 [tiff]=tiff
                           [pixman]=pixman [cairo]=cairo [googletest]=googletest)
declare -A UPSTREAM=([libjpeg-turbo]=2.1.5 [libpng]=1.6.39 [tiff]=4.5.0 [pixman]=0.42.2
                     [cairo]=1.16.0 [googletest]=1.12.1)
declare -A DEPENDS=([tiff]="libjpeg-turbo" [cairo]="pixman")
# Debian patches left out, with the reason: they change cairo's autotools inputs (configure.ac,
# Makefile.am) for Debian's Linux packaging, and applying them would make `make` want to rerun automake.
declare -A SKIP_PATCHES=(
  [cairo]="01_build_perf_utils.patch 02_am-maintainer-mode.patch 03_export-symbols.patch"
)

# --- Sources -------------------------------------------------------------------------------------

# The deb-src entry for bookworm's main archive, on the mirror the system already uses.
ensure_deb_src() {
  if apt-cache showsrc --only-source tiff 2>/dev/null | grep -q '^Package: tiff$'; then return; fi
  local file=/etc/apt/sources.list.d/debian-bookworm-src.sources uri
  uri=$(awk '$1 == "URIs:" { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  uri=${uri:-http://deb.debian.org/debian}
  echo "build-deps: adding the deb-src entry $file ($uri bookworm main)"
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' \
    "$uri" /usr/share/keyrings/debian-archive-keyring.gpg | $SUDO tee "$file" >/dev/null
  $SUDO apt-get update -qq || die "apt-get update failed after adding $file"
  apt-cache showsrc --only-source tiff 2>/dev/null | grep -q '^Package: tiff$' ||
    die "apt still knows no source packages after adding $file"
}

# Newest version of a source package that apt knows.
debian_version() {
  local best="" v
  for v in $(apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  [ -n "$best" ] || die "apt knows no source package $1"
  echo "$best"
}

# Files of a source package as its index lists them (the .dsc's "Files:" section).
source_files() {
  apt-cache showsrc --only-source "$1" | awk -v ver="$2" '
    /^Package:/ { inpkg = 0 } /^Version:/ { inpkg = ($2 == ver) }
    inpkg && /^Files:/ { infiles = 1; next } /^[^ ]/ { infiles = 0 }
    infiles && NF == 3 { print $3 }'
}

# Downloads the source package into $SOURCES unless its files are there. apt checks each file against
# the archive's signed index. Sets ORIG_TARBALL and DEBIAN_TARBALL (empty when Debian's changes come as
# a format 1.0 diff, which mixes packaging with regenerated build files: those build from upstream).
fetch() {
  local pkg=$1 version=$2 file missing="" log
  mkdir -p "$SOURCES"
  ORIG_TARBALL="" DEBIAN_TARBALL=""
  for file in $(source_files "$pkg" "$version"); do
    case "$file" in
      *.orig.tar.*) ORIG_TARBALL=$SOURCES/$file ;;
      *.debian.tar.*) DEBIAN_TARBALL=$SOURCES/$file ;;
      *.dsc|*.diff.gz) continue ;;
    esac
    [ -s "$SOURCES/$file" ] || missing+=" $file"
  done
  [ -n "$ORIG_TARBALL" ] || die "$pkg $version: the source index names no orig tarball"
  [ -z "$missing" ] && return
  log=$SOURCES/$pkg.fetch.log
  # apt-get fails when one file of the package answers 404 (pixman's diff.gz does); what counts is that
  # the files used here came, which the check below tells.
  (cd "$SOURCES" && apt-get source --download-only -o APT::Sandbox::User=root "$pkg=$version") \
    >"$log" 2>&1 || true
  for file in $missing; do
    [ -s "$SOURCES/$file" ] || { cat "$log" >&2; die "$pkg $version: could not fetch $file"; }
  done
}

# Unpacks the upstream tarball into $1 and applies Debian's quilt series, less SKIP_PATCHES.
unpack() {
  local name=$1 dir=$2 patchdir entry patch opts
  rm -rf "$dir" && mkdir -p "$dir"
  tar -xf "$ORIG_TARBALL" -C "$dir" --strip-components=1
  [ -n "$DEBIAN_TARBALL" ] || return 0
  patchdir=$dir/.debian
  mkdir -p "$patchdir" && tar -xf "$DEBIAN_TARBALL" -C "$patchdir"
  [ -f "$patchdir/debian/patches/series" ] || return 0
  while read -r entry opts; do
    case "$entry" in ''|'#'*) continue ;; esac
    patch=$patchdir/debian/patches/$entry
    if [[ " ${SKIP_PATCHES[$name]:-} " == *" $entry "* ]]; then
      echo "skipping Debian patch $entry"
      continue
    fi
    echo "applying Debian patch $entry"
    patch -d "$dir" ${opts:--p1} --batch --forward --quiet <"$patch"
  done <"$patchdir/debian/patches/series"
}

# --- Recipes (each runs in its library's work folder, with src/ unpacked) ---------------------------

# Fails unless each named file (relative to PREFIX) was installed.
installed() {
  local file
  for file; do [ -f "$PREFIX/$file" ] || { echo "$file was not installed"; return 1; }; done
}

# Fails unless FILE (relative to PREFIX) defines each named macro to 1: a configure step that could
# not find an optional part turns it off quietly, and the library would lack it.
defines() {
  local file=$1 macro
  shift
  for macro; do
    grep -q "^#define $macro 1" "$PREFIX/$file" || { echo "$file lacks $macro"; return 1; }
  done
}

cmake_build() {
  cmake -S src -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DVELTO_WINDOWS_DEPS="$PREFIX" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@"
  cmake --build build -j "$JOBS"
  cmake --install build
}

build_libjpeg-turbo() {
  # SIMD would need nasm; the writer's speed does not hinge on it.
  cmake_build -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
  installed lib/libjpeg.a lib/pkgconfig/libjpeg.pc include/jpeglib.h include/jconfig.h
}

build_libpng() {
  cmake_build -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
  installed lib/libpng16.a lib/pkgconfig/libpng.pc include/png.h
}

build_tiff() {
  cmake_build -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
    -Dtiff-docs=OFF -Dcxx=OFF -Dsphinx=OFF -Dtiff-opengl=OFF \
    -Djpeg=ON -Dzlib=ON -Djpeg12=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF \
    -Dlibdeflate=OFF
  installed lib/libtiff.a lib/pkgconfig/libtiff-4.pc include/tiffio.h
  defines include/tiffconf.h CCITT_SUPPORT JPEG_SUPPORT ZIP_SUPPORT
}

build_pixman() {
  cat >cross.ini <<EOF
[binaries]
c = '$HOST-gcc-posix'
cpp = '$HOST-g++-posix'
ar = '$HOST-gcc-ar-posix'
strip = '$HOST-strip'
windres = '$HOST-windres'
pkgconfig = 'pkg-config'

[host_machine]
system = 'windows'
cpu_family = '$MESON_CPU_FAMILY'
cpu = '$ARCH'
endian = 'little'
EOF
  meson setup build src --cross-file cross.ini --prefix "$PREFIX" --libdir lib --buildtype release \
    --default-library static -Dtests=disabled -Dgtk=disabled -Dlibpng=disabled -Dopenmp=disabled
  meson compile -C build -j "$JOBS"
  meson install -C build
  installed lib/libpixman-1.a lib/pkgconfig/pixman-1.pc
}

build_cairo() {
  # cairo 1.16 has no meson build. Its configure adds -Wp,-D_FORTIFY_SOURCE=2, so the library calls
  # __memcpy_chk and friends: programs link -lssp (added to cairo.pc below).
  mkdir -p build
  (cd build && ../src/configure --host="$HOST" --prefix="$PREFIX" --enable-static --disable-shared \
    CC="$HOST-gcc-posix" CXX="$HOST-g++-posix" AR="$HOST-gcc-ar-posix" RANLIB="$HOST-gcc-ranlib-posix" \
    CFLAGS=-O2 LIBS=-lz \
    --enable-win32 --enable-win32-font --enable-pdf --enable-png=no --enable-ft=no --enable-fc=no \
    --enable-xlib=no --enable-xcb=no --enable-script=no --enable-ps=no --enable-svg=no \
    --enable-interpreter=no --enable-trace=no --enable-gobject=no --disable-valgrind \
    --disable-gtk-doc)
  make -C build/src -j "$JOBS" install
  installed lib/libcairo.a lib/pkgconfig/cairo.pc
  defines include/cairo/cairo-features.h CAIRO_HAS_WIN32_SURFACE CAIRO_HAS_WIN32_FONT \
    CAIRO_HAS_PDF_SURFACE CAIRO_HAS_IMAGE_SURFACE
  # Programs linking the static library must not see its functions as DLL imports, and need the
  # Windows libraries its win32 surface and fonts call (which cairo.pc leaves out).
  sed -i -e 's/^Cflags: .*/& -DCAIRO_WIN32_STATIC_BUILD/' \
    -e 's/^Libs.private: .*/& -lssp -lgdi32 -lmsimg32 -luser32/' "$PREFIX/lib/pkgconfig/cairo.pc"
  grep -q 'lmsimg32' "$PREFIX/lib/pkgconfig/cairo.pc" || { echo "cairo.pc has no Libs.private line"; return 1; }
}

build_googletest() {
  # On Windows GoogleTest uses the Win32 thread primitives; winpthreads would only add a dependency.
  cmake_build -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON
  installed lib/libgtest.a lib/libgtest_main.a lib/libgmock.a lib/cmake/GTest/GTestConfig.cmake
}

# --- Driver --------------------------------------------------------------------------------------

# MinGW's zlib (Debian's libz-mingw-w64-dev) is copied into the prefix with a zlib.pc of its own. The
# MinGW root also has libz.dll.a, which CMake's find_library prefers to libz.a (pkg_check_modules
# included); in the prefix, searched first, only the static library is found.
copy_zlib() {
  local mingw=/usr/$HOST version
  version=$(sed -n 's/^Version: *//p' "$mingw/lib/pkgconfig/zlib.pc")
  mkdir -p "$PREFIX/lib/pkgconfig" "$PREFIX/include"
  cp -p "$mingw/lib/libz.a" "$PREFIX/lib/"
  cp -p "$mingw/include/zlib.h" "$mingw/include/zconf.h" "$PREFIX/include/"
  printf '%s\n' "prefix=$PREFIX" 'libdir=${prefix}/lib' 'includedir=${prefix}/include' '' 'Name: zlib' \
    'Description: zlib compression library (MinGW build of Debian)' "Version: $version" \
    'Libs: -L${libdir} -lz' 'Cflags: -I${includedir}' >"$PREFIX/lib/pkgconfig/zlib.pc.new"
  if cmp -s "$PREFIX/lib/pkgconfig/zlib.pc.new" "$PREFIX/lib/pkgconfig/zlib.pc"; then
    rm "$PREFIX/lib/pkgconfig/zlib.pc.new"
  else
    mv "$PREFIX/lib/pkgconfig/zlib.pc.new" "$PREFIX/lib/pkgconfig/zlib.pc"
  fi
}

# The prefix holds static libraries only: fold each .pc file's private requirements into the public
# ones, so that a plain `pkg-config --libs` (as CMake's pkg_check_modules runs it) gives the whole
# link line.
finish_pkgconfig() {
  local pc
  for pc in "$PREFIX"/lib/pkgconfig/*.pc; do
    awk '
      /^Libs:/ { libs = $0; next } /^Requires:/ { req = $0; next }
      /^Libs\.private:/ { sub(/^Libs\.private: */, ""); lp = $0; next }
      /^Requires\.private:/ { sub(/^Requires\.private: */, ""); rp = $0; next }
      { print }
      END {
        if (req == "") req = "Requires:"
        if (rp ~ /[^ ]/) req = req (req ~ /: *$/ ? " " : ", ") rp
        print req
        print libs (lp ~ /[^ ]/ ? " " lp : "")
      }' "$pc" >"$pc.new"
    mv "$pc.new" "$pc"
  done
}

# What a library's build depends on: its Debian version, its recipe, the patches left out, the
# toolchain, and the stamps of the libraries it uses.
recipe_key() {
  local name=$1 version=$2 dep
  {
    echo "$name $version $ARCH $HOST"
    declare -f "build_$name" cmake_build unpack finish_pkgconfig
    echo "skip: ${SKIP_PATCHES[$name]:-}"
    cat "$ROOT/cmake/toolchain-mingw-common.cmake" "$TOOLCHAIN"
    "$HOST-gcc-posix" --version | head -1
    dpkg-query -W libz-mingw-w64-dev
    for dep in ${DEPENDS[$name]:-}; do cat "$STAMPS/$dep.stamp"; done
  } | sha256sum | cut -d' ' -f1
}

ensure_deb_src
mkdir -p "$WORK" "$STAMPS"
copy_zlib
for name in "${LIBRARIES[@]}"; do
  pkg=${SOURCE_PACKAGE[$name]}
  version=$(debian_version "$pkg")
  upstream=${version#*:}
  upstream=${upstream%-*}
  [ "$upstream" = "${UPSTREAM[$name]}" ] ||
    die "$name: Debian now ships $version, the recipe here was written for ${UPSTREAM[$name]}; check its build options, then update UPSTREAM"
  key=$(recipe_key "$name" "$version")
  if [ "$(cat "$STAMPS/$name.stamp" 2>/dev/null)" = "$key" ]; then
    printf '%-14s %-22s reused\n' "$name" "$version"
    continue
  fi
  rm -f "$STAMPS/$name.stamp"
  fetch "$pkg" "$version"
  dir=$WORK/$name
  log=$WORK/$name.log
  start=$SECONDS
  rm -rf "$dir" && mkdir -p "$dir"
  set +e
  (
    set -euo pipefail
    cd "$dir"
    unpack "$name" "$dir/src"
    "build_$name"
    finish_pkgconfig
  ) >"$log" 2>&1
  status=$?
  set -e
  if [ $status != 0 ]; then
    echo "build-deps: building $name $version for $ARCH failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "$key" >"$STAMPS/$name.stamp"
  printf '%-14s %-22s built in %d s\n' "$name" "$version" $((SECONDS - start))
done
