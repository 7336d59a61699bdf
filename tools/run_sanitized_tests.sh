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
# The flags and the tests' sanitizer options are the sanitize preset's
# (CMakePresets.json); its tests leave out the package tests, which make
# release packages of their own.
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ASAN_OPTIONS="detect_leaks=1" build-sanitize/tests/scene_tests --gtest_brief=1
ASAN_OPTIONS="detect_leaks=1" build-sanitize/tests/host_tests --gtest_brief=1
ctest --preset sanitize -j"$(nproc)"
