#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test:
#   - the Windows builds (i686 and x86-64) under Wine;
#   - the 32-bit x86 Linux build of the scene under qemu-i386;
#   - the Linux build's unit, end-to-end, picture and package tests (CTest);
#   - the browser build: the pages in headless Chromium, the wasm scene.
# Every part runs even when an earlier one failed; the exit status is
# non-zero when any did.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh --windows --web g++-multilib qemu-user || exit 1
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build build -j"$(nproc)" || exit 1

status=0
tools/windows_tests.sh || status=1
tools/i386_tests.sh || status=1
(cd build && ctest --output-on-failure -j"$(nproc)") || status=1
tools/web_tests.sh || status=1
# Again with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/.
tools/run_sanitized_tests.sh || status=1
exit $status
