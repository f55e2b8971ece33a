# CMake toolchain file for 64-bit Windows (x86_64) with Debian's MinGW-w64:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DVELTO_WINDOWS_DEPS=<prefix> ...
# See toolchain-mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VELTO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
