# Builds the scene for 32-bit x86 Linux with Debian's g++-i686-linux-gnu and
# the code generation of the i686 Windows build (the top CMakeLists adds
# SSE2 arithmetic for this processor), run under qemu-i386: it proves the
# 32-bit arithmetic where the kernel runs no 32-bit code of its own.  There
# is no SDL or GL of this architecture to link against: only the scene, its
# tests and scene_probe, linked statically so that qemu runs them with no
# 32-bit libraries installed.
#   cmake -S . -B build-i386 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TERRAIN_LINUX_TRIPLE i686-linux-gnu)
set(TERRAIN_QEMU_NAME qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${TERRAIN_QEMU})
set(TERRAIN_SCENE_ONLY ON CACHE BOOL "Build only the scene, its tests and scene_probe")
