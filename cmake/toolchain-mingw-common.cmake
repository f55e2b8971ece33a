# Shared part of toolchain-mingw-i686.cmake and toolchain-mingw-x86_64.cmake: cross-compiling for
# Windows with Debian's MinGW-w64. Not a toolchain file by itself.
#
# The posix flavour of the compilers is used: its libstdc++ has std::thread and std::mutex (on top of
# winpthreads), which the win32 flavour of GCC 12 lacks. Programs are linked with -static, so neither
# libgcc, libstdc++ nor winpthread travels as a DLL beside them.
#
# VELTO_WINDOWS_DEPS (cache variable, or the environment variable of that name) is the prefix that
# scripts/windows/build-deps.sh filled with the cross-built libraries. find_package, find_library and
# pkg-config look there and in the MinGW root only, never at the build machine's own libraries.

set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VELTO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTO_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${VELTO_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VELTO_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT VELTO_WINDOWS_DEPS AND DEFINED ENV{VELTO_WINDOWS_DEPS})
  set(VELTO_WINDOWS_DEPS "$ENV{VELTO_WINDOWS_DEPS}")
endif()
set(VELTO_WINDOWS_DEPS "${VELTO_WINDOWS_DEPS}" CACHE PATH
    "Prefix of the cross-built libraries (scripts/windows/build-deps.sh)")
# try_compile projects read this file again; they need the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELTO_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${VELTO_MINGW_TRIPLET})
set(velto_pkgconfig_dirs /usr/${VELTO_MINGW_TRIPLET}/lib/pkgconfig)
if(VELTO_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${VELTO_WINDOWS_DEPS})
  list(PREPEND velto_pkgconfig_dirs ${VELTO_WINDOWS_DEPS}/lib/pkgconfig)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries: the prefix's .pc files and MinGW's zlib.pc.
list(JOIN velto_pkgconfig_dirs ":" velto_pkgconfig_libdir)
set(ENV{PKG_CONFIG_LIBDIR} "${velto_pkgconfig_libdir}")
unset(ENV{PKG_CONFIG_PATH})
unset(ENV{PKG_CONFIG_SYSROOT_DIR})

# MinGW's zlib comes as libz.a and libz.dll.a; FindZLIB would take the import library.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest, gtest_discover_tests and try_run start the Windows programs under Wine (WINEPREFIX and
# WINEDEBUG come from the environment).
find_program(VELTO_WINE wine)
if(VELTO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTO_WINE})
endif()
