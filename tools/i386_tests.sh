#!/usr/bin/env bash
# Proves the 32-bit x86 arithmetic of the i686 Windows build on a machine
# whose kernel may run no 32-bit code: builds the scene, its tests and
# scene_probe for 32-bit Linux with the same code generation (-m32 -msse2
# -mfpmath=sse, static; cmake/linux-i686.cmake) in build-i386/, and runs them
# under qemu-i386 user-mode emulation:
#   - scene_tests passes;
#   - scene_probe prints exactly what the native build prints, for every
#     program at every frame below.
# No SDL and no viewer is built for 32 bits (there is no 32-bit SDL here).
#
# Usage: tools/i386_tests.sh
set -euo pipefail
cd "$(dirname "$0")/.."

programs=(terrain320 terrain128 terrain32)
# The last is past 2^24, where the angle counter of every viewer sticks.
frames=(0 1 401 777 470228 16777300)

tools/install_deps.sh g++-multilib qemu-user

# The native reference.
if [[ ! -f build/CMakeCache.txt ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j"$(nproc)" --target scene_probe >/dev/null

if [[ ! -f build-i386/CMakeCache.txt ]]; then
  cmake -S . -B build-i386 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# NOTE: the linker warns that the static GoogleTest names getaddrinfo, which
# would need glibc's shared libraries at run time; the tests never call it.
# The build's output is shown only when it fails.
if ! log=$(cmake --build build-i386 -j"$(nproc)" --target scene_tests scene_probe 2>&1); then
  echo "$log" >&2
  echo "FAIL: the i386 build" >&2
  exit 1
fi

failures=0
# CTest runs scene_tests through qemu-i386 (the toolchain's emulator).
if (cd build-i386 && ctest --output-on-failure -R '^scene_tests$'); then
  echo "ok: scene_tests (i386, qemu-i386)"
else
  echo "FAIL: scene_tests (i386, qemu-i386)" >&2
  failures=$((failures + 1))
fi

for program in "${programs[@]}"; do
  for frame in "${frames[@]}"; do
    native=$(build/tools/scene_probe "$program" "$frame")
    if emulated=$(timeout 600 qemu-i386 build-i386/tools/scene_probe "$program" "$frame") &&
        [[ "$emulated" == "$native" ]]; then
      echo "ok: scene_probe $program $frame (i386 = native)"
    else
      echo "FAIL: scene_probe $program $frame: i386 differs from native" >&2
      diff <(echo "$native") <(echo "$emulated") >&2 || true
      failures=$((failures + 1))
    fi
  done
done

if [[ $failures -ne 0 ]]; then
  echo "i386_tests: $failures failed" >&2
  exit 1
fi
echo "i386_tests: all passed"
