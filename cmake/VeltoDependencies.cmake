# Every dependency comes from Debian's packages (scripts/install-deps.sh); on Windows from Debian's
# source packages, cross-built into a prefix (scripts/windows/build-deps.sh).
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
if(NOT WIN32)
  # The playback engine's fonts; on Windows GDI draws the text.
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
endif()
find_package(TIFF REQUIRED)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
if(VELTO_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
