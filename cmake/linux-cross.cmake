# Shared by the Linux cross toolchains: Debian's cross compiler for
# TERRAIN_LINUX_TRIPLE, linked statically so that qemu user-mode emulation
# (TERRAIN_QEMU_NAME) runs the executables with no libraries of that
# architecture installed; CTest runs the tests through it.  There is no SDL
# or GL of that architecture to link against, so only the scene, its tests
# and scene_probe are built (TERRAIN_SCENE_ONLY).
set(CMAKE_SYSTEM_NAME Linux)

find_program(CMAKE_C_COMPILER NAMES ${TERRAIN_LINUX_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TERRAIN_LINUX_TRIPLE}-g++ REQUIRED)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(TERRAIN_QEMU ${TERRAIN_QEMU_NAME} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TERRAIN_QEMU})

set(TERRAIN_SCENE_ONLY ON CACHE BOOL "Build only the scene, its tests and scene_probe")
