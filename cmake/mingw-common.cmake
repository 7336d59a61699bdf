# Shared by the MinGW-w64 toolchain files: compilers, search paths, and a
# statically linked compiler runtime so the executables run on a stock
# Windows without extra DLLs.  Expects TERRAIN_MINGW_TRIPLE.
find_program(CMAKE_C_COMPILER NAMES ${TERRAIN_MINGW_TRIPLE}-gcc-posix ${TERRAIN_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TERRAIN_MINGW_TRIPLE}-g++-posix ${TERRAIN_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TERRAIN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TERRAIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The posix thread model, which GoogleTest's std::mutex needs.  libgcc,
# libstdc++ and winpthread are linked in; the system DLLs (kernel32, user32,
# gdi32, opengl32, glu32, msvcrt) stay dynamic, as every Windows has them.
# No link time in the programs' headers: the same source links to the same
# bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# CTest runs the tests under Wine, in a prefix of the build tree's own
# (made by the tests' wine_prefix step, cmake/wine_emulator.sh).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL i686)
  set(TERRAIN_WINE_LOADER /usr/lib/wine/wine)
else()
  set(TERRAIN_WINE_LOADER /usr/lib/wine/wine64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_emulator.sh ${TERRAIN_WINE_LOADER}
    ${CMAKE_BINARY_DIR}/wine-prefix)
