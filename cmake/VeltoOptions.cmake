# Warnings, sanitizers and the helpers that turn folders into targets.
add_compile_options(-Wall -Wextra)
# 32-bit Windows: doubles computed in SSE2 registers, as the system's own compilers do, not in the x87's
# 80 bits, which turn 2000 × 0.96 into 1919.99… and every truncated page size one pixel short.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(VELTO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELTO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VELTO_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  # Undefined behaviour stops the fuzzer with a reproducer, as a crash does.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# velto_platform_filter(VAR): keeps the sources that this platform builds. A file ending in _win32.cpp
# is the Windows twin of one ending in _posix.cpp; each platform builds its own and every other file.
function(velto_platform_filter var)
  set(kept ${${var}})
  if(WIN32)
    list(FILTER kept EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER kept EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${var} ${kept} PARENT_SCOPE)
endfunction()

# velto_sources(VAR folder...): every .cpp below the given folders that this platform builds, so a part
# grows file by file without touching the build.
function(velto_sources var)
  set(all)
  foreach(folder ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  velto_platform_filter(all)
  set(${var} ${all} PARENT_SCOPE)
endfunction()

# velto_program_per_file(folder prefix libs...): one executable per .cpp of a folder that this platform
# builds (a _posix or _win32 ending names the platform and is not part of the program's name).
function(velto_program_per_file folder prefix)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  velto_platform_filter(sources)
  foreach(source ${sources})
    get_filename_component(stem ${source} NAME_WE)
    string(REGEX REPLACE "_(posix|win32)$" "" stem ${stem})
    string(REPLACE "_" "-" stem ${stem})
    add_executable(${prefix}${stem} ${source})
    target_link_libraries(${prefix}${stem} PRIVATE ${ARGN})
  endforeach()
endfunction()
