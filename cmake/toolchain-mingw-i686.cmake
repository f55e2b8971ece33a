# CMake toolchain file for 32-bit Windows (i686) with Debian's MinGW-w64:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DVELTO_WINDOWS_DEPS=<prefix> ...
# See toolchain-mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELTO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
