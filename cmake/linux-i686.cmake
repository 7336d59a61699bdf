# Builds for 32-bit x86 Linux with Debian's g++-multilib and the code
# generation of the i686 Windows build (the top CMakeLists adds SSE2
# arithmetic for this processor), linked statically so that qemu-i386 runs
# the executables with no 32-bit libraries installed.  There is no 32-bit
# SDL or GL to link against, so only the scene, its tests and scene_probe are
# built (TERRAIN_SCENE_ONLY).  tools/i386_tests.sh uses it.
#   cmake -S . -B build-i386 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

find_program(CMAKE_C_COMPILER NAMES gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES g++ REQUIRED)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")

# CTest runs the tests under user-mode emulation: this kernel may run no
# 32-bit code of its own.
find_program(TERRAIN_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TERRAIN_QEMU_I386})

set(TERRAIN_SCENE_ONLY ON CACHE BOOL "Build only the scene, its tests and scene_probe")
