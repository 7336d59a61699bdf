# Shared by the Linux cross toolchains: Debian's cross compiler for
# TERRAIN_LINUX_TRIPLE, with qemu user-mode emulation (TERRAIN_QEMU_NAME)
# as the emulator through which CTest runs the tests.
set(CMAKE_SYSTEM_NAME Linux)

find_program(CMAKE_C_COMPILER NAMES ${TERRAIN_LINUX_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TERRAIN_LINUX_TRIPLE}-g++ REQUIRED)
find_program(TERRAIN_QEMU ${TERRAIN_QEMU_NAME} REQUIRED)
