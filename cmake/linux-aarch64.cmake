# Builds the scene for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu,
# run under qemu-aarch64.  ARM has fused multiply-add instructions the
# compiler would use unless told not to (the top CMakeLists tells it).
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TERRAIN_LINUX_TRIPLE aarch64-linux-gnu)
set(TERRAIN_QEMU_NAME qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
