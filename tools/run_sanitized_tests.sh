#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (profiling off) in build-sanitize/ and runs the unit tests and a short
# end-to-end run of each program (five starts and ends each, and the input
# flood).  Any sanitizer report fails the run: the tests fail on a non-zero
# status or on anything printed to stderr.
#
# Leaks: the tests that link no graphics library (scene and host, against
# stand-ins) run with LeakSanitizer.  The others run without it: Mesa and SDL
# are built without frame pointers, so their blocks come with one-frame
# stacks, often in a driver already unloaded, and cannot be told apart from
# ours by library; bench/memcheck.sh checks the real programs' leaks with
# valgrind instead.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-sanitize}
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRAIN_PROFILING=OFF -DTERRAIN_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j"$(nproc)"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ASAN_OPTIONS="detect_leaks=1" tests/scene_tests --gtest_brief=1
ASAN_OPTIONS="detect_leaks=1" tests/host_tests --gtest_brief=1
export ASAN_OPTIONS="detect_leaks=0"
# Not here: the package tests (they make release packages of their own).
ctest --output-on-failure -j"$(nproc)" -E '^(packages|deb_package|windows_packages|reproducible_packages)$'
