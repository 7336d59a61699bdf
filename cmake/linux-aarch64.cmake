# Builds the viewers for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu,
# linked dynamically against the arm64 SDL2, GL and GLU of Debian's
# multiarch (libsdl2-dev:arm64, libglu1-mesa-dev:arm64, ...: tools/
# install_deps.sh --arm64), and runs its tests under qemu-aarch64 with those
# libraries.  ARM has fused multiply-add instructions the compiler would use
# unless told not to (the top CMakeLists tells it).
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TERRAIN_LINUX_TRIPLE aarch64-linux-gnu)
set(TERRAIN_QEMU_NAME qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# The arm64 libraries and their pkg-config files, beside the native ones.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
find_program(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/qemu_emulator.sh ${TERRAIN_QEMU}
    /lib/ld-linux-aarch64.so.1)
