#!/usr/bin/env bash
# memcheck.sh [SECONDS]: runs terrain32 and terrain128 under valgrind's
# memcheck, headless (SDL's offscreen driver), for SECONDS each (default 60),
# then ends each with SIGTERM (a close request: the viewer shuts down in
# order and exits 0).  Passes when both exit 0 and valgrind reports no error
# and no leaked or still-reachable block outside the graphics and windowing
# libraries (tools/valgrind-libraries.supp names only those).
#
# Builds its own profiling-free, debug-info build in build-memcheck/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tools/install_deps.sh valgrind
cmake -S . -B build-memcheck -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRAIN_PROFILING=OFF \
  -DTERRAIN_TESTS=OFF -DTERRAIN_BENCH=OFF >/dev/null
cmake --build build-memcheck -j"$(nproc)" --target terrain32 terrain128 >/dev/null
logs=$PWD/build-memcheck/memcheck
mkdir -p "$logs"

failed=0
for program in ${MEMCHECK_PROGRAMS:-terrain32 terrain128}; do
  log=$logs/$program.log
  status=0
  (cd "$logs" && SDL_VIDEODRIVER=offscreen exec valgrind --tool=memcheck --keep-debuginfo=yes \
      --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all --num-callers=50 \
      --suppressions="$PWD/../../tools/valgrind-libraries.supp" --error-exitcode=99 \
      --log-file="$log" "../programs/$program") &
  runner=$!
  sleep "$seconds"
  # valgrind passes the signal on to the viewer.
  kill -TERM "$runner" 2>/dev/null || true
  wait "$runner" || status=$?
  summary=$(grep -E 'ERROR SUMMARY|in use at exit|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:' "$log" | sed 's/^==[0-9]*== *//')
  echo "$program: exit status $status after ${seconds} s under memcheck"
  echo "$summary" | sed 's/^/  /'
  if [[ $status -ne 0 ]]; then
    failed=1
    echo "$program: FAILED (status $status; valgrind's 99 means reports outside the libraries): see $log"
  fi
done
exit $failed
