#!/usr/bin/env bash
# memcheck_viewer.sh VIEWER FRAMES PRELOAD LOG
# Runs the viewer executable VIEWER under valgrind's memcheck on SDL's
# offscreen driver (no display needed) until it has drawn FRAMES frames;
# PRELOAD (the close_after_swaps module) then ends it with a close request,
# and it shuts down in order.  Writes valgrind's report to LOG and prints its
# summary.  Passes when the viewer exits 0 and memcheck reports no error: no
# invalid access, bad free or jump on uninitialised data, and no block lost
# or still reachable at exit beyond what valgrind-libraries.supp (beside this
# script) grants the graphics and windowing libraries.
set -euo pipefail
[[ $# -eq 4 ]] || { echo "usage: memcheck_viewer.sh VIEWER FRAMES PRELOAD LOG" >&2; exit 2; }
viewer=$(realpath "$1") frames=$2 preload=$(realpath "$3") log=$(realpath -m "$4")
suppressions=$(cd "$(dirname "$0")" && pwd)/valgrind-libraries.supp
name=$(basename "$viewer")
if ! command -v valgrind >/dev/null; then
  echo "$name: valgrind is not installed (tools/install_deps.sh installs it)" >&2
  exit 1
fi
mkdir -p "$(dirname "$log")"

status=0
# In the log's folder, where a profiling build writes its gmon.out.
# NOTE: a profiling build stops its SIGPROF timer at exit and puts back the
# signal's earlier action; under valgrind a tick still pending then arrives
# and, with the default action, kills the process in the middle of exit.
# Started with SIGPROF ignored, that late tick is ignored instead.
(cd "$(dirname "$log")" && trap '' PROF &&
  SDL_VIDEODRIVER=offscreen TERRAIN_CLOSE_AFTER_SWAPS="$frames" LD_PRELOAD="$preload" \
  valgrind --tool=memcheck --keep-debuginfo=yes --num-callers=50 \
    --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all \
    --suppressions="$suppressions" --error-exitcode=99 --log-file="$log" "$viewer") || status=$?

echo "$name: exit status $status after $frames frames under memcheck"
grep -E '^==[0-9]+== +(ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|suppressed):' "$log" |
  sed 's/^==[0-9]*== *//; s/^/  /' || true
if [[ $status -ne 0 ]]; then
  echo "$name: FAILED (status $status; valgrind's 99 means it reported errors): see $log" >&2
  exit 1
fi
