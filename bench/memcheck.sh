#!/usr/bin/env bash
# memcheck.sh [FRAMES]: runs terrain32 and terrain128 under valgrind's
# memcheck, headless (SDL's offscreen driver), for FRAMES frames each
# (default 300), then ends each with a close request (it shuts down in order
# and exits 0).  Passes when both exit 0 and valgrind reports no error: no
# invalid access, and no block lost or still reachable beyond what
# tests/support/valgrind-libraries.supp grants the graphics and windowing
# libraries.  The test suite runs the same check on terrain32 for 100 frames
# (memcheck_terrain32); this one runs longer and covers terrain128 as well.
#
# Builds its own profiling-free, debug-info build in build-memcheck/.
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-300}
tools/install_deps.sh
cmake -S . -B build-memcheck -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRAIN_PROFILING=OFF \
  -DTERRAIN_TESTS=OFF -DTERRAIN_BENCH=OFF >/dev/null
cmake --build build-memcheck -j"$(nproc)" --target terrain32 terrain128 close_after_swaps >/dev/null

failed=0
for program in ${MEMCHECK_PROGRAMS:-terrain32 terrain128}; do
  tests/support/memcheck_viewer.sh "build-memcheck/programs/$program" "$frames" \
    build-memcheck/tests/support/libclose_after_swaps.so "build-memcheck/memcheck/$program.log" || failed=1
done
exit $failed
